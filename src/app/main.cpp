// Start-up: the command-line mode when the arguments ask for it, else the
// window on the service addresses (defaults, user file, --services FILE).
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <iostream>

#include "app/announcement_popup.h"
#include "app/cli.h"
#include "app/main_window.h"
#include "app/program_icon.h"
#include "app/self_update_wiring.h"
#include "app/server_round_trip.h"
#include "app/skin.h"
#include "app/startup.h"
#include "app/tray_residency.h"
#include "app/tray_shell.h"

namespace {

// A font that has every Chinese caption, at the size the window's places were made for.
void apply_interface_font(QApplication& app) {
  const QString family = QStringLiteral("WenQuanYi Micro Hei");
  QFont font = app.font();
  if (QFontDatabase::families().contains(family)) font.setFamily(family);
  font.setPixelSize(12);
  app.setFont(font);
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> code = trovix::run_command_line(argc, argv)) return *code;

  if (const std::string message = trovix::missing_display_message(); !message.empty()) {
    std::cerr << message << '\n';
    return 1;
  }
  QApplication app(argc, argv);
  apply_interface_font(app);
  trovix::LoadedServices services =
      trovix::load_services(trovix::services_file_argument(argc, argv));
  for (const trovix::ConfigProblem& problem : services.problems) {
    std::cerr << trovix::describe(problem) << '\n';
  }

  app.setWindowIcon(trovix::program_icon());
  // Declared before the window: the window's tray hook goes before the shell.
  trovix::QtTrayShell tray_shell;
  trovix::MainWindow window(std::move(services.addresses));
  trovix::TrayResidency* residency =
      trovix::attach_tray_residency(window, window.popup_menus().tray, tray_shell);
  trovix::CreationSteps steps;
  steps.add_tray_icon = [residency] { residency->add_icon(); };
  steps.hook_tray_events = [residency] { residency->hook_events(); };
  // Neutral tone; a skin that cannot be loaded leaves the platform's look.
  steps.apply_skin = [&app] { trovix::apply_skin(app, trovix::SkinTone{}); };
  // The update window, the notice and the visit counter.
  trovix::ServerRoundTrip round_trip(window);
  round_trip.add_steps(steps);
  round_trip.set_update_window_hook([&window](trovix::UpdateWindow& update) {
    trovix::attach_self_update(
        update, trovix::own_program_path(),
        [&window](QMessageBox::Icon icon, const QString& title, const QString& text) {
          window.show_message(icon, title, text);
        });
  });
  if (!window.run_creation_sequence(steps)) {
    trovix::close_announcement_popup();
    return round_trip.exit_code();
  }
  window.show();
  const int code = app.exec();
  trovix::close_announcement_popup();
  return code;
}
