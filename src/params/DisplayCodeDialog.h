#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;

// The code a floor's position displays show, chosen by the displayed text
// ("B1", "出口", ...) from the 255 codes 1..255. The list cannot be typed
// into, so OK always has a code.
class DisplayCodeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DisplayCodeDialog(QWidget* parent = nullptr);

    // Preselects the entry of code (the first entry when none matches),
    // runs modally; on OK code is the chosen entry's code.
    int exec() override;

    int code = 0;
    QString prompt;

    QComboBox* codeList() const { return codeList_; }

private:
    QLabel* promptLabel_ = nullptr;
    QComboBox* codeList_ = nullptr;
};
