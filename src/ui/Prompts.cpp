#include "Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace {

// The dialogs a person sees.
class WidgetPrompts : public PromptBackend
{
public:
    void message(const QString& caption, const QString& text, Icon icon) override
    {
        QMessageBox box(icon == Icon::Error ? QMessageBox::Critical : QMessageBox::NoIcon, caption, text,
                        QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    }

    QString saveFileName(const QString& defaultName, const QString& filter, const QString& suffix) override
    {
        QFileDialog dialog(QApplication::activeWindow(), QString(), defaultName, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(suffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }

    bool question(const QString& caption, const QString& text) override
    {
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
        QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
        yes->setObjectName(QStringLiteral("yesButton"));
        no->setObjectName(QStringLiteral("noButton"));
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }

    bool confirm(QDialog& dialog) override { return dialog.exec() == QDialog::Accepted; }

    QString openFileName(const QString& defaultName, const QString& filter, const QString& suffix) override
    {
        QFileDialog dialog(QApplication::activeWindow(), QString(), defaultName, filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(suffix);
        dialog.setOption(QFileDialog::ReadOnly, false);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }
};

WidgetPrompts widgetPrompts;
PromptBackend* backend = &widgetPrompts;

} // namespace

namespace prompts {

void showMessage(const QString& text)
{
    backend->message(kCaption, text, PromptBackend::Icon::None);
}

bool askYesNo(const QString& text)
{
    return backend->question(kCaption, text);
}

bool confirm(QDialog& dialog)
{
    return backend->confirm(dialog);
}

void showApplicationError(const QString& text)
{
    backend->message(QStringLiteral("Application Error"), text, PromptBackend::Icon::Error);
}

QString askSaveFile(const QString& defaultName, const QString& filter, const QString& suffix)
{
    return backend->saveFileName(defaultName, qtFilter(filter), suffix);
}

QString askOpenFile(const QString& defaultName, const QString& filter, const QString& suffix)
{
    return backend->openFileName(defaultName, qtFilter(filter), suffix);
}

QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i < parts.size(); i += 2)
        filters << parts[i];
    return filters.join(QStringLiteral(";;"));
}

void setBackend(PromptBackend* replacement)
{
    backend = replacement ? replacement : &widgetPrompts;
}

} // namespace prompts
