#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;

// The value of one numbered parameter as typed by the user. Shows the
// parameter's description and an edit prefilled with the current value;
// hands back the text exactly as the user left it (the caller converts).
// With a check, OK refuses a text the check refuses: the refusal is shown
// and the dialog stays open with the text selected. A bordered frame
// without title bar; Escape cancels.
class ValueEntryDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ValueEntryDialog(QWidget* parent = nullptr);

    // Copies the members into the controls, runs modally, copies the
    // controls back into the members on OK only.
    int exec() override;

    QString prompt;
    QString valueText;
    // The refusal of a text, empty when the text is taken.
    std::function<QString(const QString&)> check;

    QLineEdit* valueEdit() const { return valueEdit_; }

public Q_SLOTS:
    void accept() override;

private:
    QLabel* promptLabel_ = nullptr;
    QLineEdit* valueEdit_ = nullptr;
};
