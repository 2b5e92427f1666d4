#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

// Authorises IC cards: each "确定" sends one card number, valid or invalid,
// and reports the controller's answer; the dialog stays open for the next
// card and closes with "取消" only.
class CICDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CICDlg(QWidget* parent = nullptr);

    // Shows cardNumber in the edit with "有效" checked, runs modally.
    int exec() override;

    int cardNumber = 0;
    char cardState = 'F';  // 'F' valid, '0' invalid

    QLineEdit* cardEdit() const { return cardEdit_; }
    QRadioButton* validButton() const { return validButton_; }
    QRadioButton* invalidButton() const { return invalidButton_; }
    QPushButton* sendButton() const { return sendButton_; }

    // "确定": takes the card number, sends it, shows the outcome.
    void sendCard();

private:
    QLineEdit* cardEdit_ = nullptr;
    QRadioButton* validButton_ = nullptr;
    QRadioButton* invalidButton_ = nullptr;
    QPushButton* sendButton_ = nullptr;
};
