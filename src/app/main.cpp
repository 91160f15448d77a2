// Start-up: the command-line mode when the arguments ask for it, else the
// window on the service addresses (defaults, user file, --services FILE).
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <iostream>

#include "app/cli.h"
#include "app/main_window.h"
#include "app/startup.h"

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

  trovix::MainWindow window(std::move(services.addresses));
  // The tray, the skin, the update window, the notice and the visit counter
  // join the sequence as their subsystems arrive.
  if (!window.run_creation_sequence(trovix::CreationSteps{})) return 0;
  window.show();
  return app.exec();
}
