#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

// The value of one numbered parameter as typed by the user. Shows the
// parameter's description and an edit prefilled with the current value;
// hands back the text exactly as the user left it (the caller converts).
// A bordered frame without title bar; Escape cancels.
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

    QLineEdit* valueEdit() const { return valueEdit_; }

private:
    QLabel* promptLabel_ = nullptr;
    QLineEdit* valueEdit_ = nullptr;
};
