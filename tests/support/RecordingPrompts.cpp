#include "RecordingPrompts.h"

RecordingPrompts::RecordingPrompts()
{
    prompts::setBackend(this);
}

RecordingPrompts::~RecordingPrompts()
{
    prompts::setBackend(nullptr);
}

void RecordingPrompts::message(const QString& caption, const QString& text, Icon)
{
    captions << caption;
    messages << text;
    if (onMessage)
        onMessage(text);
}

QString RecordingPrompts::saveFileName(const QString& defaultName, const QString& filter, const QString& suffix)
{
    fileRequests << QStringLiteral("save %1 %2 %3").arg(defaultName, filter, suffix);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString RecordingPrompts::openFileName(const QString& defaultName, const QString& filter, const QString& suffix)
{
    fileRequests << QStringLiteral("open %1 %2 %3").arg(defaultName, filter, suffix);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

bool RecordingPrompts::question(const QString&, const QString& text)
{
    questions << text;
    return questionAnswers.isEmpty() ? true : questionAnswers.takeFirst();
}

bool RecordingPrompts::confirm(QDialog& dialog)
{
    confirmations << dialog.objectName();
    if (onConfirm)
        onConfirm(dialog);
    return confirmAnswers.isEmpty() ? true : confirmAnswers.takeFirst();
}

QStringList RecordingPrompts::firstLines() const
{
    QStringList lines;
    for (const QString& text : messages)
        lines << text.section(QLatin1Char('\n'), 0, 0);
    return lines;
}
