#pragma once

#include "Prompts.h"

#include <QDialog>

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
    bool question(const QString& caption, const QString& text) override;
    bool confirm(QDialog& dialog) override;

    // Texts shown so far, oldest first.
    QStringList messages;
    QStringList captions;
    // The messages' first lines: a fault box's second line names the
    // recorder's file, which differs from run to run.
    QStringList firstLines() const;
    // Answers for the next file dialogs.
    QStringList fileAnswers;
    // What the file dialogs were opened with.
    QStringList fileRequests;
    // Questions asked so far, and the answers for the next ones ("是" when
    // none is left).
    QStringList questions;
    QList<bool> questionAnswers;
    // Dialogs that asked to go on (their objectNames), and the answers for
    // the next ones (go on when none is left); onConfirm sees each dialog
    // before it is answered.
    QStringList confirmations;
    QList<bool> confirmAnswers;
    std::function<void(QDialog&)> onConfirm;
    // Called while a message "is on screen", before it is answered.
    std::function<void(const QString&)> onMessage;
};
