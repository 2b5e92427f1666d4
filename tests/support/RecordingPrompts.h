#pragma once

#include "Prompts.h"

#include <functional>

#include <QStringList>

// Stands in for the tool's message boxes and file dialogs during a test:
// records every message and answers file dialogs from a queue (an empty
// answer is a cancelled dialog). Installed for its lifetime.
class RecordingPrompts : public PromptBackend
{
public:
    RecordingPrompts();
    ~RecordingPrompts() override;

    void message(const QString& caption, const QString& text, Icon icon) override;
    QString saveFileName(const QString& defaultName, const QString& filter, const QString& suffix) override;
    QString openFileName(const QString& defaultName, const QString& filter, const QString& suffix) override;

    // Texts shown so far, oldest first.
    QStringList messages;
    QStringList captions;
    // Answers for the next file dialogs.
    QStringList fileAnswers;
    // What the file dialogs were opened with.
    QStringList fileRequests;
    // Called while a message "is on screen", before it is answered.
    std::function<void(const QString&)> onMessage;
};
