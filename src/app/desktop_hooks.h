// What the result actions ask of the desktop: message boxes, the OK/Cancel
// question, the clipboard, the shell's "open", the save-file dialog and the
// download-tool tip window. One value of replaceable functions, so window
// tests record what would be shown instead of showing it.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace trovix {

class MainWindow;

struct DesktopHooks {
  std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text)> message;
  // OK and Cancel; true for OK.
  std::function<bool(const QString& title, const QString& text)> question;
  // Replaces the clipboard's text; false when the clipboard could not be set.
  std::function<bool(const QString& text)> set_clipboard;
  // The shell's "open" for an address or a magnet link (even an empty text).
  std::function<void(const QString& address)> open_address;
  // The shell's "open" for a file.
  std::function<void(const QString& path)> open_file;
  // The save-file dialog starting in `folder` with the filter `filter`; empty
  // when the user cancelled it.
  std::function<std::optional<QString>(const QString& folder, const QString& filter)>
      choose_save_file;
  // Opens the download-tool tip window modally over `parent` and returns once it is closed.
  std::function<void(QWidget* parent)> run_tip_window;
};

// The real desktop, over the main window (its message sink and URL opener).
DesktopHooks desktop_hooks_for(MainWindow& window);

// Puts `text` on the system clipboard as plain text and reads it back.
bool set_clipboard_text(const QString& text);

}  // namespace trovix
