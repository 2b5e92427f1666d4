#include "ShaftPage.h"

#include "Prompts.h"
#include "ReportList.h"
#include "ShaftChains.h"
#include "WaitCursor.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

ShaftPage::ShaftPage(PageHost& host, QWidget* parent) : Page(host, kIndex, parent)
{
    static const struct
    {
        const char* label;
        const char* name;  // of the edit; its label's ends in "Label"
    } switches[kSwitchValues] = {
        {"平层插板长度平层开关间距之和:", "levellingSpan"},
        {"双层上强慢开关位置:", "upSlowdown2"},
        {"单层上强慢开关位置:", "upSlowdown1"},
        {"双层下强慢开关位置:", "downSlowdown2"},
        {"单层下强慢开关位置:", "downSlowdown1"},
    };
    auto* form = new QGridLayout;
    form->setHorizontalSpacing(6);
    form->setVerticalSpacing(6);
    for (int i = 0; i < kSwitchValues; ++i) {
        auto* label = new QLabel(QString::fromUtf8(switches[i].label), this);
        auto* edit = new QLineEdit(this);
        label->setObjectName(QLatin1String(switches[i].name) + QLatin1String("Label"));
        edit->setObjectName(QLatin1String(switches[i].name) + QLatin1String("Edit"));
        label->setBuddy(edit);
        edits_[size_t(i)] = edit;
        form->addWidget(label, i, 0);
        // Wide enough for any 32-bit value.
        edit->setFixedWidth(qMax(140, edit->fontMetrics().horizontalAdvance(QStringLiteral("-2147483648")) + 24));
        form->addWidget(edit, i, 1, Qt::AlignLeft);
    }
    form->setColumnStretch(2, 1);

    list_ = new ReportList(this);
    list_->setObjectName(QStringLiteral("shaftList"));
    list_->setColumns({{QStringLiteral("楼层"), 40, Qt::AlignHCenter}, {QStringLiteral("井道数据"), 130, Qt::AlignHCenter}});
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Taller with the window. Wider with it from its columns' width up to
    // twice that, the value column taking the extra: a third of the width
    // to spare goes to it, the rest stays blank beside the buttons, so that
    // a value stays close to its floor number.
    list_->header()->setStretchLastSection(true);
    const int listWidth =
        40 + 130 + 2 * list_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
    list_->setMinimumWidth(listWidth);
    list_->setMaximumWidth(2 * listWidth);
    list_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);

    learnButton_ = new QPushButton(QStringLiteral("自学习"), this);
    learnButton_->setObjectName(QStringLiteral("learnButton"));
    connect(learnButton_, &QPushButton::clicked, this, &ShaftPage::startLearning);
    refreshButton_ = new QPushButton(QStringLiteral("刷新"), this);
    refreshButton_->setObjectName(QStringLiteral("refreshButton"));
    connect(refreshButton_, &QPushButton::clicked, this, &ShaftPage::refresh);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(learnButton_);
    buttons->addWidget(refreshButton_);
    buttons->addStretch();

    auto* lower = new QHBoxLayout;
    lower->setSpacing(16);
    // The buttons stay beside the list's right edge.
    lower->addWidget(list_, 1);
    lower->addLayout(buttons);
    lower->addStretch(2);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(10, 10, 10, 10);
    page->setSpacing(12);
    page->addLayout(form);
    page->addLayout(lower, 1);
}

void ShaftPage::activate()
{
    bool complete = false;
    {
        WaitCursor wait;
        complete = readShaftData();
    }
    if (!complete)
        prompts::showMessage(QStringLiteral("通讯失败，请刷新!"));
}

// The floor count, the position of every floor, then the five switch
// values; false when the count or a floor went unanswered twice (what was
// read so far stays, the edits are left alone).
bool ShaftPage::readShaftData()
{
    records::ShaftReadObserver observer;
    observer.floorCountKnown = [this](int) { list_->clearRows(); };
    observer.floorRead = [this](int floor, std::int32_t position) {
        list_->appendRow({QString::asprintf("%i", floor), QString::asprintf("%d", position)}, floor);
    };
    const records::ShaftData data = records::readShaftData(observer);
    if (!data.complete)
        return false;
    // A value without reply keeps its text.
    for (int i = 0; i < kSwitchValues; ++i) {
        if (data.switches[size_t(i)])
            switchTexts_[size_t(i)] = QString::asprintf("%d", *data.switches[size_t(i)]);
        edits_[size_t(i)]->setText(switchTexts_[size_t(i)]);
    }
    return true;
}

void ShaftPage::startLearning()
{
    // The car runs the shaft on its own.
    if (!prompts::askYesNo(QStringLiteral("确定要开始井道自学习吗？电梯将自动运行。")))
        return;
    // The data is not read again here: the run takes a while; "刷新" reads it.
    if (records::startShaftLearning())
        prompts::showMessage(QStringLiteral("井道自学习发出，若电梯启动，则正在进行自学习"));
}

void ShaftPage::refresh()
{
    list_->clearRows();
    activate();
}
