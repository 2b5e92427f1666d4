#pragma once

#include <QString>

class QDialog;
class QWidget;

// Every message box and file dialog of the tool goes through here, so that
// tests can read what was shown and answer it.
class PromptBackend
{
public:
    enum class Icon { None, Error };
    virtual ~PromptBackend() = default;
    virtual void message(const QString& caption, const QString& text, Icon icon) = 0;
    // The chosen file, or empty when cancelled. filter is in Qt's form.
    virtual QString saveFileName(const QString& defaultName, const QString& filter, const QString& suffix) = 0;
    virtual QString openFileName(const QString& defaultName, const QString& filter, const QString& suffix) = 0;
    // True for "是", false for "否".
    virtual bool question(const QString& caption, const QString& text) = 0;
    // Runs a dialog that asks to go on; true when it was accepted.
    virtual bool confirm(QDialog& dialog) = 0;
};

namespace prompts {

// The caption of the tool's plain message boxes.
inline const QString kCaption = QStringLiteral("VARDO");

// A box with a fixed text and an OK button.
void showMessage(const QString& text);
// A question with the buttons "是" and "否" ("否" when the box is closed).
bool askYesNo(const QString& text);
// A dialog that shows what is about to happen and asks to go on.
bool confirm(QDialog& dialog);
// The serial channel's configuration errors.
void showApplicationError(const QString& text);
// Save and open dialogs; filter as in "电梯参数(*.F)|*.F||", suffix without the dot.
QString askSaveFile(const QString& defaultName, const QString& filter, const QString& suffix);
QString askOpenFile(const QString& defaultName, const QString& filter, const QString& suffix);

// "Desc(*.F)|*.F||" becomes "Desc(*.F)".
QString qtFilter(const QString& filter);

// Replaces the real dialogs (tests); null restores them.
void setBackend(PromptBackend* backend);

} // namespace prompts
