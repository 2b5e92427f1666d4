#pragma once

#include <QDialog>

class QComboBox;

// The modal dialog "串口设置" in which the user picks the COM port and the
// line settings. Opening it probes COM1 to COM8 on the one channel (which
// closes the channel); OK stores the settings and asks for a restart;
// Cancel re-opens the channel from the stored settings.
class SerialSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    // mainWindow receives the bytes when Cancel re-opens the channel, and
    // is asked to close after OK has stored new settings.
    explicit SerialSettingsDialog(QWidget* mainWindow);
    ~SerialSettingsDialog() override;
};
