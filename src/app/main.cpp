// Start-up: the command-line mode when the arguments ask for it, else the
// window on the service addresses (defaults, user file, --services FILE).
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <iostream>

#include "app/cli.h"
#include "app/main_window.h"
#include "app/program_icon.h"
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
  // The update window, the notice and the visit counter join the sequence as
  // their subsystems arrive.
  trovix::CreationSteps steps;
  steps.add_tray_icon = [residency] { residency->add_icon(); };
  steps.hook_tray_events = [residency] { residency->hook_events(); };
  // Neutral tone; a skin that cannot be loaded leaves the platform's look.
  steps.apply_skin = [&app] { trovix::apply_skin(app, trovix::SkinTone{}); };
  if (!window.run_creation_sequence(steps)) return 0;
  window.show();
  return app.exec();
}
