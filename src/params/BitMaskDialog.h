#pragma once

#include <QDialog>
#include <QString>

#include <array>

class QCheckBox;
class QLabel;

// A parameter whose 16 bits are separate switches, one check box per bit:
// bits 0..7 in the left column, 8..15 in the right. The value travels in
// and out as the protocol's four characters LLHH. The four input-setting
// parameters label their boxes with the input names (X0.., TX..).
// A bordered frame without title bar; Escape cancels.
class BitMaskDialog : public QDialog
{
    Q_OBJECT
public:
    explicit BitMaskDialog(QWidget* parent = nullptr);

    // Copies the members into the controls, runs modally; on OK valueChars
    // holds four uppercase hex digits, on Cancel it is untouched.
    int exec() override;

    char valueChars[5] = {'0', '0', '0', '0', '\0'};
    QString prompt;

    // Check box of bit i (0..15).
    QCheckBox* bitBox(int bit) const { return boxes_[static_cast<std::size_t>(bit)]; }

private:
    QLabel* promptLabel_ = nullptr;
    std::array<QCheckBox*, 16> boxes_{};
};
