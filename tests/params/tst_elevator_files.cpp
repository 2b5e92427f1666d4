#include "ElevatorParamPage.h"
#include "ImportPreviewDialog.h"
#include "ParamDescriptions.h"
#include "ParamFile.h"
#include "ParamTestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr int kPage = ElevatorParamPage::kIndex;

SimOptions legacyController()
{
    SimOptions options;
    options.model = SimModel::Legacy;
    return options;
}

} // namespace

// The elevator parameter page against the simulated controller in its
// 114-parameter layout: a read-all that fails part-way, parameter set files
// saved and imported. The cases share one list.
class ElevatorFilesTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ParamTool> tool_;
    QTemporaryDir dir_;

    ReportList& rows() { return tool_->list(kPage); }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        return path;
    }

private Q_SLOTS:
    void initTestCase()
    {
        tool_ = std::make_unique<ParamTool>(legacyController());
        // Values away from the factory's, so that a reset shows.
        tool_->sim().withElevator([](ElevatorModel& e) {
            e.setParameter(20, 4321);
            e.setParameter(65, 300);
            e.setParameter(70, 9);
        });
        QVERIFY(tool_->tabs().hasPages());
    }

    void cleanupTestCase() { tool_.reset(); }

    void init()
    {
        tool_->prompts().messages.clear();
        tool_->prompts().confirmations.clear();
        tool_->sim().clearRequests();
    }

    // The rows read before the failure stay in sight, but the list cannot
    // be saved: no file is asked for, none is written. The next visit reads
    // the whole list again.
    void failure_mid_read_is_read_again()
    {
        tool_->sim().stopAtParameter(40);
        tool_->clickTab(kPage);
        QCOMPARE(tool_->prompts().messages, QStringList{"通讯失败，请刷新!"});
        QCOMPARE(rows().rowCount(), 40);
        const QByteArrayList sent = tool_->payloads();
        QCOMPARE(sent.first(), QByteArray("A100"));
        QCOMPARE(sent.mid(sent.size() - 2), (QByteArrayList{"A528", "A528"}));
        QVERIFY(QApplication::overrideCursor() == nullptr);

        tool_->prompts().fileRequests.clear();
        tool_->prompts().fileAnswers = {dir_.filePath(QStringLiteral("short.F"))};
        tool_->clickButton(kPage, "saveButton");
        QCOMPARE(tool_->prompts().messages.value(1), QStringLiteral("参数未读全，请刷新后再保存"));
        QVERIFY(tool_->prompts().fileRequests.isEmpty());
        QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("short.F"))));
        tool_->prompts().fileAnswers.clear();

        tool_->sim().clearLinkFaults();
        tool_->sim().clearRequests();
        tool_->clickTab(3);
        tool_->clickTab(kPage);
        QCOMPARE(tool_->tabs().currentPage(), kPage);
        // The probe, the parameters, and the nameplate the service record
        // keeps the complete read under.
        QCOMPARE(tool_->payloads().size(), 1 + 114 + 3);
        QCOMPARE(tool_->payloads().mid(1 + 114), (QByteArrayList{"AB", "A2", "A7"}));
        QCOMPARE(rows().rowCount(), 114);
        QVERIFY(tool_->page(kPage).complete());
    }

    void refresh_reads_the_114_parameters()
    {
        tool_->clickButton(kPage, "refreshButton");
        QVERIFY(!tool_->page(kPage).extendedLayout());
        QCOMPARE(rows().rowCount(), 114);
        for (int i = 0; i < 114; ++i) {
            QCOMPARE(rows().cell(i, 0), QStringLiteral("F%1").arg(i + 1));
            QCOMPARE(rows().cell(i, 2), parameterDescription(ParamTable::Layout114, i).value());
        }
        // 65 holds 16 bits in this layout; the display codes start at 66.
        QCOMPARE(rows().cell(65, 1), QStringLiteral("300"));
        QCOMPARE(rows().cell(70, 1), QStringLiteral("9"));
        QCOMPARE(tool_->shownValues(kPage), tool_->elevatorValues());
        QVERIFY(tool_->prompts().messages.isEmpty());
    }

    // Before anything is sent the import shows the file against the list:
    // its record count (told when it is not the list's), the records whose
    // value differs; "取消" sends nothing and keeps the list.
    void import_preview_counts_the_differences_and_cancel_sends_nothing()
    {
        const unsigned sixth = rows().cell(6, 1).toUInt();
        const QList<ParamRecord> records{{20, 0, 1000}, {6, 0, std::uint16_t(sixth)}, {7, 0, 1460}};
        tool_->prompts().fileAnswers = {writeFile(QStringLiteral("preview.F"), encodeParamRecords(records))};
        tool_->prompts().confirmAnswers = {false};
        QStringList summary;
        QList<QStringList> shown;
        bool countTold = false;
        tool_->prompts().onConfirm = [&](QDialog& dialog) {
            auto& preview = static_cast<ImportPreviewDialog&>(dialog);
            summary << preview.summaryLabel()->text();
            countTold = !preview.countWarning()->isHidden();
            ReportList* list = preview.differenceList();
            for (int r = 0; r < list->rowCount(); ++r)
                shown.append({list->cell(r, 0), list->cell(r, 1), list->cell(r, 2), list->cell(r, 3)});
        };
        const QString before = rows().cell(20, 1);
        tool_->clickButton(kPage, "importButton");
        tool_->prompts().onConfirm = {};

        QCOMPARE(tool_->prompts().confirmations, QStringList{"importPreviewDialog"});
        QCOMPARE(summary, QStringList{QStringLiteral("文件中有 3 个参数，其中 2 个与当前值不同。")});
        QVERIFY(countTold);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0], (QStringList{"F21", rows().cell(20, 2), before, "1000"}));
        QCOMPARE(shown[1].value(0), QStringLiteral("F8"));
        QVERIFY(tool_->payloads().isEmpty());
        QCOMPARE(rows().rowCount(), 114);
        QCOMPARE(rows().cell(20, 1), before);
    }

    // The filter hides the rows whose number and description lack its text
    // (case does not matter); clearing it shows all again; save still
    // writes every row in list order.
    void filter_hides_rows_and_save_writes_all()
    {
        ParamPage& page = tool_->page(kPage);
        page.filterEdit()->setText(QStringLiteral("f1"));
        int shownRows = 0;
        for (int r = 0; r < rows().rowCount(); ++r) {
            const bool matches = rows().cell(r, 0).startsWith(QStringLiteral("F1")) ||
                                 rows().cell(r, 2).contains(QStringLiteral("f1"), Qt::CaseInsensitive);
            QCOMPARE(rows().topLevelItem(r)->isHidden(), !matches);
            shownRows += matches;
        }
        QVERIFY(shownRows > 0 && shownRows < rows().rowCount());

        const QString path = dir_.filePath(QStringLiteral("filtered.F"));
        tool_->prompts().fileAnswers = {path};
        tool_->clickButton(kPage, "saveButton");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().size(), 114 * 4);

        page.filterEdit()->clear();
        for (int r = 0; r < rows().rowCount(); ++r)
            QVERIFY(!rows().topLevelItem(r)->isHidden());
    }

    // A file that cannot be used is refused whole: nothing is sent, the
    // list stays as it is.
    void file_with_a_fragment_sends_nothing()
    {
        tool_->prompts().fileAnswers = {writeFile(QStringLiteral("fragment.F"), QByteArray("\0\0\1\0\7\0", 6))};
        tool_->clickButton(kPage, "importButton");
        QCOMPARE(tool_->prompts().messages, QStringList{"参数文件格式错误"});
        QVERIFY(tool_->payloads().isEmpty());
        QCOMPARE(rows().rowCount(), 114);
    }

    // A refused record ends the import with the record's index; the rest is
    // not sent, and the list is read again all the same.
    void refused_record_ends_the_import()
    {
        const unsigned seventh = tool_->sim().withElevator([](ElevatorModel& e) { return e.parameter(7); });
        const QList<ParamRecord> records{{20, 0, 1000}, {6, 0, 5}, {7, 0, 1460}};
        tool_->prompts().fileAnswers = {writeFile(QStringLiteral("refused.F"), encodeParamRecords(records))};
        tool_->clickButton(kPage, "importButton");
        QCOMPARE(tool_->prompts().messages, QStringList{"写F6参数失败"});
        QCOMPARE(tool_->payloads().mid(0, 3), (QByteArrayList{"F514E803", "F5060500", "A100"}));
        QCOMPARE(rows().rowCount(), 114);
        QCOMPARE(rows().cell(20, 1), QStringLiteral("1000"));
        QCOMPARE(rows().cell(7, 1), QString::number(seventh));
    }

    // The saved file restores every value after the controller's reset.
    void save_then_import_restores_the_controller()
    {
        const QList<unsigned> saved = tool_->elevatorValues();
        const QString path = dir_.filePath(QStringLiteral("电梯参数.F"));
        tool_->prompts().fileAnswers = {path};
        tool_->clickButton(kPage, "saveButton");
        QCOMPARE(tool_->prompts().fileRequests.last(), QStringLiteral("save 电梯参数 电梯参数(*.F) F"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 456);
        // One record a row: index, 0, value low byte first (1000 is E8 03).
        QCOMPARE(bytes.mid(20 * 4, 4), QByteArray("\x14\x00\xE8\x03", 4));
        QCOMPARE(bytes.mid(65 * 4, 4), QByteArray("\x41\x00\x2C\x01", 4));
        QCOMPARE(bytes, encodeParamRecords([&] {
                     QList<ParamRecord> records;
                     for (int i = 0; i < 114; ++i)
                         records.append({std::uint8_t(i), 0, std::uint16_t(saved[i])});
                     return records;
                 }()));
        QVERIFY(tool_->payloads().isEmpty());

        tool_->sim().withElevator([](ElevatorModel& e) { e.resetParameters(); });
        QVERIFY(tool_->elevatorValues() != saved);
        // Quiet once the writes are in, so the read-all after the import
        // ends at its probe, and says so.
        tool_->sim().stopAfterRequests(114);
        tool_->prompts().fileAnswers = {path};
        tool_->clickButton(kPage, "importButton");
        tool_->sim().clearLinkFaults();

        QCOMPARE(tool_->prompts().fileRequests.last(), QStringLiteral("open 电梯参数 电梯参数(*.F) F"));
        QCOMPARE(tool_->prompts().messages, QStringList{"通讯失败，请刷新!"});
        const QByteArrayList sent = tool_->payloads();
        QCOMPARE(sent.size(), 115);
        QCOMPARE(sent[20], QByteArray("F514E803"));
        QCOMPARE(sent[65], QByteArray("F5412C01"));
        QCOMPARE(sent.last(), QByteArray("A100"));
        QCOMPARE(tool_->elevatorValues(), saved);
        QCOMPARE(rows().rowCount(), 0);
    }
};

QTEST_MAIN(ElevatorFilesTest)
#include "tst_elevator_files.moc"
