#pragma once

#include <QDialog>
#include <QPointer>

class QComboBox;

// "串口初始化失败，请重新设置", and why, when the port is held by another
// program or its permissions deny the user.
QString portInitFailureText();

// The modal dialog "串口设置" in which the user picks the COM port and the
// line settings. Opening it probes COM1 to COM9 on the one channel (which
// closes the channel); OK stores the settings and asks for a restart;
// Cancel re-opens the channel from the stored settings.
class SerialSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    // mainWindow receives the bytes when Cancel re-opens the channel, and
    // is asked to close after OK has stored new settings. Null stands for
    // the tool's main window (the top-level widget named "mainDialog").
    explicit SerialSettingsDialog(QWidget* mainWindow);
    ~SerialSettingsDialog() override;

    // The eight rates of both baud lists, in list order.
    static const int kBaudRates[8];

public Q_SLOTS:
    void accept() override;
    void reject() override;

private:
    void buildControls();
    void loadStoredValues();
    void probePorts();
    void showValues();
    QWidget* mainWindow() const;

    QPointer<QWidget> mainWindow_;

    QComboBox* portCombo_ = nullptr;
    QComboBox* elevatorBaudCombo_ = nullptr;
    QComboBox* doorBaudCombo_ = nullptr;
    QComboBox* dataBitsCombo_ = nullptr;
    QComboBox* stopBitsCombo_ = nullptr;
    QComboBox* parityCombo_ = nullptr;
    QComboBox* specialCodeCombo_ = nullptr;

    // Texts shown on opening.
    QString portText_;
    QString elevatorBaudText_;
    QString doorBaudText_;
    QString dataBitsText_;
    QString stopBitsText_;
    QString parityText_;
    QString specialCodeText_;

    // Values kept by OK for a list without a selection: the stored ones,
    // or the defaults where nothing usable is stored.
    int elevatorBaud_ = 0;
    int doorBaud_ = 0;
    int dataBits_ = 0;
    int stopBits_ = 0;
    char parity_ = 'N';
};
