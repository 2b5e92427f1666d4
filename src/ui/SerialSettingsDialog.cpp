#include "SerialSettingsDialog.h"

#include "FrameBuffer.h"
#include "LinkSettings.h"
#include "PortNames.h"
#include "Prompts.h"
#include "RegistryKey.h"
#include "SerialChannel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kPortFailed = QStringLiteral("串口初始化失败，请重新设置");
const QString kRestart = QStringLiteral("请重新启动程序，方能生效");
const QString kNoPort = QStringLiteral("没有选择端口，无法保存设置");
const QString kSaveFailed = QStringLiteral("串口设置保存失败");

// Parity letters and data-bit and stop-bit counts by list position.
const char kParityLetters[3] = {'N', 'O', 'E'};
const int kDataBits[2] = {7, 8};
const int kStopBits[2] = {1, 2};

QString parityTextOf(char letter)
{
    if (letter == 'N')
        return QStringLiteral("无");
    if (letter == 'O')
        return QStringLiteral("奇");
    return QStringLiteral("偶");
}

// Selects the first item that begins with text; no selection when none
// does (or text is empty). An editable list shows an unmatched text as
// it is.
void selectByPrefix(QComboBox* combo, const QString& text)
{
    int found = -1;
    if (!text.isEmpty()) {
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemText(i).startsWith(text)) {
                found = i;
                break;
            }
        }
    }
    combo->setCurrentIndex(found);
    if (found < 0 && combo->isEditable())
        combo->setEditText(text);
}

QComboBox* makeList(QWidget* parent, const char* name, const QStringList& items)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->addItems(items);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

} // namespace

QString portInitFailureText()
{
    switch (serialChannel.openFailure()) {
    case PortOpenFailure::Busy:
        return kPortFailed + QStringLiteral("\n\n串口被其他程序占用\n"
                                            "请关闭正在使用该串口的程序（另一个 VARDO、vardo-cli 或终端程序）后再试。");
    case PortOpenFailure::Denied:
#ifdef Q_OS_LINUX
        // Serial devices belong to the group dialout.
        return kPortFailed + QStringLiteral("\n\n没有打开串口的权限：请把用户加入 dialout 组"
                                            "（sudo adduser $USER dialout），然后重新登录。");
#else
        return kPortFailed;
#endif
    default:
        return kPortFailed;
    }
}

const int SerialSettingsDialog::kBaudRates[8] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

SerialSettingsDialog::SerialSettingsDialog(QWidget* mainWindow) : QDialog(nullptr), mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("serialSettingsDialog"));
    setWindowTitle(QStringLiteral("串口设置"));
    setModal(true);
    buildControls();
    loadStoredValues();
    probePorts();
    showValues();
}

SerialSettingsDialog::~SerialSettingsDialog() = default;

void SerialSettingsDialog::buildControls()
{
    QStringList rates;
    for (int rate : kBaudRates)
        rates << QString::number(rate);

    auto* lineGroup = new QGroupBox(QStringLiteral("串口设置"), this);
    lineGroup->setObjectName(QStringLiteral("lineSettingsGroup"));
    portCombo_ = makeList(lineGroup, "portCombo", {});
    elevatorBaudCombo_ = makeList(lineGroup, "elevatorBaudCombo", rates);
    doorBaudCombo_ = makeList(lineGroup, "doorBaudCombo", rates);
    dataBitsCombo_ = makeList(lineGroup, "dataBitsCombo", {QStringLiteral("7"), QStringLiteral("8")});
    stopBitsCombo_ = makeList(lineGroup, "stopBitsCombo", {QStringLiteral("1"), QStringLiteral("2")});
    parityCombo_ = makeList(lineGroup, "parityCombo",
                            {QStringLiteral("无"), QStringLiteral("奇"), QStringLiteral("偶")});

    auto* grid = new QGridLayout(lineGroup);
    const std::pair<const char*, QComboBox*> rows[] = {
        {"端口：", portCombo_},         {"电梯波特率：", elevatorBaudCombo_}, {"门机波特率：", doorBaudCombo_},
        {"数据位：", dataBitsCombo_}, {"停止位：", stopBitsCombo_},         {"校验位：", parityCombo_},
    };
    int row = 0;
    for (const auto& [caption, combo] : rows) {
        auto* label = new QLabel(QString::fromUtf8(caption), lineGroup);
        label->setObjectName(combo->objectName() + QStringLiteral("Label"));
        label->setBuddy(combo);
        grid->addWidget(label, row, 0, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(combo, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);

    // The special code is kept as stored; its controls are never shown.
    auto* codeGroup = new QGroupBox(QStringLiteral("专用码"), this);
    codeGroup->setObjectName(QStringLiteral("specialCodeGroup"));
    specialCodeCombo_ = makeList(codeGroup, "specialCodeCombo",
                                 {QStringLiteral("N"), QStringLiteral("E"), QStringLiteral("L")});
    specialCodeCombo_->setEditable(true);
    specialCodeCombo_->lineEdit()->setMaxLength(1);
    auto* codeLabel = new QLabel(QStringLiteral("专用码："), codeGroup);
    codeLabel->setObjectName(QStringLiteral("specialCodeComboLabel"));
    auto* codeRow = new QHBoxLayout(codeGroup);
    codeRow->addWidget(codeLabel);
    codeRow->addWidget(specialCodeCombo_, 1);
    codeGroup->hide();

    auto* okButton = new QPushButton(QStringLiteral("确定"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("取消"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    connect(okButton, &QPushButton::clicked, this, &SerialSettingsDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &SerialSettingsDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lineGroup);
    layout->addWidget(codeGroup);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Wide enough for the longest rate and the captions in any dialog font.
    const int listWidth = fontMetrics().horizontalAdvance(QStringLiteral("115200")) * 3;
    for (QComboBox* combo : {portCombo_, elevatorBaudCombo_, doorBaudCombo_, dataBitsCombo_, stopBitsCombo_,
                             parityCombo_})
        combo->setMinimumWidth(listWidth);
}

// Stored values, each one falling back to the default when it is absent
// or (for "comwhole") shorter than its four characters.
void SerialSettingsDialog::loadStoredValues()
{
    portText_ = comPortName(LinkSettings::kDefaultPort);
    parity_ = LinkSettings::kDefaultParity;
    dataBits_ = LinkSettings::kDefaultDataBits;
    stopBits_ = LinkSettings::kDefaultStopBits;
    elevatorBaud_ = LinkSettings::kDefaultElevatorBaud;
    doorBaud_ = LinkSettings::kDefaultDoorBaud;
    elevatorBaudText_ = QString::number(elevatorBaud_);
    doorBaudText_ = QString::number(doorBaud_);
    specialCodeText_ = QString(QLatin1Char(LinkSettings::kDefaultSpecialCode));

    RegistryKey key;
    if (key.openKey(kSettingsKey)) {
        QString whole, baud, doorBaud, code;
        if (key.readString(settingName::comwhole, whole) && whole.size() >= 4) {
            portText_ = comPortName(digitValue(whole[0]));
            parity_ = whole[1].toLatin1();
            dataBits_ = digitValue(whole[2]);
            stopBits_ = digitValue(whole[3]);
        }
        if (key.readString(settingName::combaud, baud)) {
            elevatorBaudText_ = baud;
            if (leadingNumber(baud) > 0)
                elevatorBaud_ = leadingNumber(baud);
        }
        if (key.readString(settingName::comdoorbaud, doorBaud)) {
            doorBaudText_ = doorBaud;
            if (leadingNumber(doorBaud) > 0)
                doorBaud_ = leadingNumber(doorBaud);
        }
        if (key.readString(settingName::specialcode, code))
            specialCodeText_ = code;
        key.closeKey();
    }
    parityText_ = parityTextOf(parity_);
    dataBitsText_ = QString::number(dataBits_);
    stopBitsText_ = QString::number(stopBits_);
}

// Lists every COM name whose device is there, in order: a port that
// opens, and one that is held by another program or that the user may not
// open yet (both can be mended without another choice here). A device that
// does not work as a port (a serial driver's placeholder) is left out. The
// channel ends closed, whatever it held before.
void SerialSettingsDialog::probePorts()
{
    for (int n = kFirstComPort; n <= kLastComPort; ++n) {
        const bool opened = serialChannel.open(this, n, 9600, 'N', 8, 1, SerialChannel::kEventMask);
        const PortOpenFailure failure = serialChannel.openFailure();
        if (opened || failure == PortOpenFailure::Busy || failure == PortOpenFailure::Denied) {
            portCombo_->addItem(comPortName(n));
#ifndef Q_OS_WIN
            portCombo_->setItemData(portCombo_->count() - 1, serialChannel.devicePath(), Qt::ToolTipRole);
#endif
        }
        while (serialChannel.isOpen())
            serialChannel.close();
    }
#ifndef Q_OS_WIN
    // The closed list tells the device of the port chosen, too.
    connect(portCombo_, &QComboBox::currentIndexChanged, portCombo_, [this](int index) {
        portCombo_->setToolTip(portCombo_->itemData(index, Qt::ToolTipRole).toString());
    });
#endif
}

void SerialSettingsDialog::showValues()
{
    selectByPrefix(portCombo_, portText_);
    selectByPrefix(elevatorBaudCombo_, elevatorBaudText_);
    selectByPrefix(doorBaudCombo_, doorBaudText_);
    selectByPrefix(dataBitsCombo_, dataBitsText_);
    selectByPrefix(stopBitsCombo_, stopBitsText_);
    selectByPrefix(parityCombo_, parityText_);
    selectByPrefix(specialCodeCombo_, specialCodeText_);
}

QWidget* SerialSettingsDialog::mainWindow() const
{
    if (mainWindow_)
        return mainWindow_;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w->objectName() == QLatin1String("mainDialog"))
            return w;
    }
    return nullptr;
}

void SerialSettingsDialog::accept()
{
    // Nothing to store without a port: the dialog stays open.
    const QString port = portCombo_->currentIndex() >= 0 ? portCombo_->currentText() : QString();
    if (port.size() < 4) {
        prompts::showMessage(kNoPort);
        return;
    }
    const QChar portDigit = port[3];

    const int elevatorPos = elevatorBaudCombo_->currentIndex();
    const int doorPos = doorBaudCombo_->currentIndex();
    const int elevatorBaud = elevatorPos >= 0 ? kBaudRates[elevatorPos] : elevatorBaud_;
    const int doorBaud = doorPos >= 0 ? kBaudRates[doorPos] : doorBaud_;
    const int parityPos = parityCombo_->currentIndex();
    const int dataPos = dataBitsCombo_->currentIndex();
    const int stopPos = stopBitsCombo_->currentIndex();
    const char parity = parityPos >= 0 ? kParityLetters[parityPos] : parity_;
    const int dataBits = dataPos >= 0 ? kDataBits[dataPos] : dataBits_;
    const int stopBits = stopPos >= 0 ? kStopBits[stopPos] : stopBits_;

    const QString whole = QString(portDigit) + QLatin1Char(parity) + QString::number(dataBits) +
                          QString::number(stopBits);
    // The hidden special code goes back as it was loaded.
    const QString code = specialCodeCombo_->currentText();

    RegistryKey key;
    bool stored = key.openKey(QStringLiteral("Software")) && key.createKey(QStringLiteral("VARDOCOM"));
    if (stored) {
        stored = key.writeString(settingName::comwhole, whole) && stored;
        stored = key.writeString(settingName::combaud, QString::number(elevatorBaud)) && stored;
        stored = key.writeString(settingName::comdoorbaud, QString::number(doorBaud)) && stored;
        stored = key.writeString(settingName::specialcode, code) && stored;
    }
    key.closeKey();
    if (!stored) {
        // Reported and left open, so the user can try again or cancel.
        prompts::showMessage(kSaveFailed);
        return;
    }

    prompts::showMessage(kRestart);
    if (QWidget* target = mainWindow())
        QCoreApplication::postEvent(target, new QCloseEvent);
    QDialog::accept();
}

void SerialSettingsDialog::reject()
{
    // Absent or short values take the defaults (LinkSettings).
    const std::optional<LinkSettings> settings = LinkSettings::read();
    if (settings) {
        specialCode = settings->specialCode;
        if (!serialChannel.open(mainWindow(), settings->portNumber, settings->elevatorBaud, settings->parity,
                                settings->dataBits, settings->stopBits, SerialChannel::kEventMask))
            prompts::showMessage(portInitFailureText());
    }
    QDialog::reject();
}
