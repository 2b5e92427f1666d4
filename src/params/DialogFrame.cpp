#include "DialogFrame.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace paramdialog {

QFrame* makeBorderedFrame(QDialog* dialog)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    auto* frame = new QFrame(dialog);
    frame->setObjectName(QStringLiteral("dialogFrame"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Plain);
    frame->setLineWidth(1);
    auto* outer = new QVBoxLayout(dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    return frame;
}

QLabel* makePromptLabel(QWidget* parent, const QString& objectName)
{
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void setPromptText(QLabel* label, const QString& prompt)
{
    QString shown = prompt;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    label->setText(shown);
}

QPushButton* makeButton(QWidget* parent, const QString& text, const QString& objectName, bool isDefault)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    // Enter presses the button that has the focus, the default one when
    // the focus is elsewhere.
    button->setDefault(isDefault);
    button->setAutoDefault(true);
    return button;
}

QHBoxLayout* makeAcceptRow(QDialog* dialog, QWidget* parent, const QString& okText, const QString& cancelText)
{
    QPushButton* ok = makeButton(parent, okText, QStringLiteral("okButton"), true);
    QPushButton* cancel = makeButton(parent, cancelText, QStringLiteral("cancelButton"), false);
    // Through the virtual slots, so a dialog's own accept() runs.
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    row->addStretch(1);
    return row;
}

} // namespace paramdialog
