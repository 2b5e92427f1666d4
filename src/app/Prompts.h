#pragma once

#include <QString>

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
};

namespace prompts {

// The caption of the tool's plain message boxes.
inline const QString kCaption = QStringLiteral("VARDO");

// A box with a fixed text and an OK button.
void showMessage(const QString& text);
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
