#include "ParamTestSupport.h"

#include "DoorParamPage.h"
#include "ElevatorParamPage.h"
#include "EmptyPage.h"
#include "PageFactory.h"
#include "SerialChannel.h"

#include <QPushButton>
#include <QTabBar>
#include <QTest>

ParamTool::ParamTool(SimOptions options)
{
    sim_ = std::make_unique<SimController>(options);
    sim_->linkAs(1);
    home_.writeSettings("1N81", "9600", "38400", "E");
    pages::setPageMaker([](int index, PageHost& host, QWidget* parent) -> Page* {
        switch (index) {
        case ElevatorParamPage::kIndex:
            return new ElevatorParamPage(host, parent);
        case DoorParamPage::kIndex:
            return new DoorParamPage(host, parent);
        default:
            return new EmptyPage(host, index, pages::caption(index), parent);
        }
    });
    window_ = std::make_unique<MainDialog>();
    window_->show();
    window_->startUp();
    pages::setPageMaker({});
}

ParamTool::~ParamTool()
{
    window_.reset();
    serialChannel.close();
    serialChannel.linkBusy = 0;
    doorLinkActive = 0;
    sim_.reset();
}

ParamPage& ParamTool::page(int index)
{
    return *qobject_cast<ParamPage*>(tabs().page(index));
}

void ParamTool::clickTab(int index)
{
    QTabBar* bar = tabs().tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

void ParamTool::clickButton(int pageIndex, const char* objectName)
{
    auto* button = page(pageIndex).findChild<QPushButton*>(QString::fromLatin1(objectName));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

void ParamTool::doubleClickRow(int pageIndex, int row)
{
    ReportList& rows = list(pageIndex);
    QTreeWidgetItem* item = rows.topLevelItem(row);
    QVERIFY(item);
    rows.scrollToItem(item);
    const QPoint at = rows.visualItemRect(item).center();
    QTest::mouseClick(rows.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(rows.viewport(), Qt::LeftButton, {}, at);
}

QByteArrayList ParamTool::payloads() const
{
    QByteArrayList out;
    // STX, two address digits ... special code, two checksum digits, ETX.
    for (const QByteArray& frame : sim_->requests())
        out << (frame.size() >= 7 ? frame.mid(3, frame.size() - 7) : frame);
    return out;
}

QList<unsigned> ParamTool::elevatorValues()
{
    return sim_->withElevator([](ElevatorModel& e) {
        QList<unsigned> values;
        for (int i = 0; i < e.parameterCount(); ++i)
            values << e.parameter(i);
        return values;
    });
}

QList<unsigned> ParamTool::doorValues()
{
    return sim_->withDoor([](DoorModel& d) {
        QList<unsigned> values;
        for (int i = 0; i < d.parameterCount(); ++i)
            values << d.parameter(i);
        return values;
    });
}

QList<unsigned> ParamTool::shownValues(int pageIndex)
{
    QList<unsigned> values;
    for (int r = 0; r < list(pageIndex).rowCount(); ++r)
        values << list(pageIndex).cell(r, 1).toUInt();
    return values;
}
