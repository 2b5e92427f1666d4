// The parameter page's side of the service record: what it opens, what it
// restores, who the controller is.

#include "ParamPage.h"

#include "HistoryDialog.h"
#include "IdentityChains.h"
#include "ImportPreview.h"
#include "LinkSettings.h"
#include "ParamReply.h"
#include "Prompts.h"
#include "ReportList.h"
#include "SessionRecord.h"
#include "WaitCursor.h"

namespace {

constexpr int kValueColumn = 1;

QString portName()
{
    const std::optional<LinkSettings> settings = LinkSettings::read();
    return QStringLiteral("COM%1").arg(settings ? settings->portNumber : LinkSettings::kDefaultPort);
}

// How a controller is named in the question before a restore.
QString elevatorName(const history::ControllerIdentity& who, const QString& key)
{
    return who.elevatorId.trimmed().isEmpty() ? key : who.elevatorId.trimmed();
}

} // namespace

QList<history::KeptParameter> ParamPage::listedParameters() const
{
    QList<history::KeptParameter> kept;
    for (int row = 0; row < list_->rowCount(); ++row) {
        const QString number = list_->cell(row, 0);
        kept.append({int(list_->rowData(row)), int(leadingInteger(QStringView(number).mid(1))),
                     unsigned(std::uint16_t(leadingInteger(list_->cell(row, kValueColumn))))});
    }
    return kept;
}

// The elevator controller tells its identity (read once a run, or again
// after each complete read); the door operator cannot, and its records go
// under the elevator controller read last, or under the port alone.
history::ControllerIdentity ParamPage::controllerNow()
{
    history::SessionRecord* session = host().serviceRecord();
    const bool tells = &profile_.controller == &params::kElevatorController;
    if (session && tells && !session->current()) {
        identity::IdentityValues values;
        WaitCursor wait;
        if (identity::readNameplate(values))
            session->setCurrent(history::identityOf(values, portName()));
    }
    return session ? session->currentOr(portName()) : history::ControllerIdentity{{}, {}, {}, portName()};
}

void ParamPage::openHistory()
{
    history::SessionRecord* session = host().serviceRecord();
    if (!session)
        return;
    history::HistoryStore* store = session->record().store();
    if (!store) {
        prompts::showMessage(history::problemText(session->record().problem()));
        return;
    }
    history::HistoryDialog::PageSide side;
    side.controller = controllerNow().key();
    side.layout = history::setLayoutOf(layout_);
    side.listed = [this] { return listedParameters(); };
    side.restore = [this](const history::Snapshot& snapshot) { return restoreSnapshot(snapshot); };
    history::HistoryDialog dialog(*store, side, window());
    dialog.exec();
}

bool ParamPage::restoreSnapshot(const history::Snapshot& snapshot)
{
    if (refuseIncompleteList(QStringLiteral("参数未读全，请刷新后再恢复")))
        return false;
    const int rows = list_->rowCount();
    if (snapshot.layout != history::setLayoutOf(layout_)) {
        prompts::showMessage(QStringLiteral("该记录的参数表与当前控制器的不同，不能恢复。"));
        return false;
    }
    const history::ControllerIdentity now = controllerNow();
    if (snapshot.controller != now.key() &&
        !prompts::askYesNo(QStringLiteral("该记录来自电梯 %1，与当前电梯 %2 不同，确定恢复吗?")
                               .arg(elevatorName(snapshot.identity, snapshot.controller), elevatorName(now, now.key()))))
        return false;
    const params::ImportPreview preview =
        params::previewImport(snapshot.records(), rows, [this](int index) { return listedValue(index); });
    const QString when = snapshot.stamp.at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    const SetSource source{QStringLiteral("恢复参数"), QStringLiteral("记录值"),
                           QStringLiteral("%1 的记录中有 %2 个参数与当前值不同，勾选的将被写入。")
                               .arg(when)
                               .arg(preview.differences.size())};
    const std::optional<QList<ParamRecord>> chosen = confirmImport(preview, &source);
    if (!chosen || chosen->isEmpty())
        return false;
    writeSet(*chosen);
    return true;
}

void ParamPage::tellHistoryProblem()
{
    history::SessionRecord* session = host().serviceRecord();
    if (const std::optional<QString> text = session ? session->untoldProblem() : std::nullopt)
        prompts::showMessage(*text);
}

// Every complete read is kept: a new snapshot, or a "seen" of the latest
// when nothing changed; after a set write, the state it left. The
// elevator controller is asked who it is each time: another may have
// been plugged in.
void ParamPage::recordCompleteRead()
{
    history::SessionRecord* session = host().serviceRecord();
    if (!session)
        return;
    if (&profile_.controller == &params::kElevatorController) {
        identity::IdentityValues values;
        if (identity::readNameplate(values))
            session->setCurrent(history::identityOf(values, portName()));
    }
    const history::ControllerIdentity who = session->currentOr(portName());
    if (const std::optional<history::SnapshotKind> after = std::exchange(afterWrite_, std::nullopt))
        session->record().snapshot(who, layout_, *after, listedParameters());
    else
        session->record().read(who, layout_, listedParameters());
    tellHistoryProblem();
}

// The values a set write is about to replace, as the list shows them when
// it is complete.
void ParamPage::recordBeforeWrite(history::SnapshotKind after)
{
    history::SessionRecord* session = host().serviceRecord();
    if (!session)
        return;
    afterWrite_ = after;
    if (!complete_)
        return;
    session->record().snapshot(controllerNow(), layout_, history::SnapshotKind::BeforeWrite, listedParameters());
    tellHistoryProblem();
}

void ParamPage::recordEdit(int index, unsigned oldValue)
{
    history::SessionRecord* session = host().serviceRecord();
    if (!session || !editWrite_)
        return;
    session->record().edit(controllerNow(), layout_, index, oldValue, editWrite_->value, editWrite_->confirmed);
    tellHistoryProblem();
}
