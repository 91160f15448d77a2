#include "app/desktop_hooks.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QUrl>

#include "app/download_tool_tip.h"
#include "app/main_window.h"
#include "results/process_check.h"

namespace trovix {

bool set_clipboard_text(const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->setText(text, QClipboard::Clipboard);
  // Read back: a clipboard that could not be taken over still holds something else.
  return clipboard->text(QClipboard::Clipboard) == text;
}

DesktopHooks desktop_hooks_for(MainWindow& window) {
  DesktopHooks hooks;
  hooks.message = [&window](QMessageBox::Icon icon, const QString& title, const QString& text) {
    window.show_message(icon, title, text);
  };
  hooks.question = [&window](const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                    &window);
    return box.exec() == QMessageBox::Ok;
  };
  hooks.set_clipboard = set_clipboard_text;
  hooks.open_address = [&window](const QString& address) { window.open_address(address); };
  hooks.open_file = [&window](const QString& path) {
    window.open_address(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
  };
  hooks.choose_save_file = [&window](const QString& folder,
                                     const QString& filter) -> std::optional<QString> {
    QFileDialog dialog(&window, QString(), folder, filter);
    dialog.setObjectName(QStringLiteral("通用对话框1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The extension is appended to the chosen name afterwards, so the
    // dialog's own question would be about another file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
  };
  hooks.run_tip_window = [&window](QWidget* parent) {
    DesktopHooks tip_hooks;
    tip_hooks.open_address = [&window](const QString& address) { window.open_address(address); };
    DownloadToolTip tip(download_tool_names(window.addresses().download_tools),
                        window.addresses().thunder_installer, window.addresses().xuanfeng_installer,
                        std::move(tip_hooks), parent);
    tip.exec();
  };
  return hooks;
}

}  // namespace trovix
