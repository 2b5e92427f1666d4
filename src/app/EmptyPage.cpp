#include "EmptyPage.h"

#include <QLabel>
#include <QVBoxLayout>

EmptyPage::EmptyPage(PageHost& host, int index, const QString& caption, QWidget* parent)
    : Page(host, index, parent)
{
    setObjectName(QStringLiteral("emptyPage%1").arg(index));
    auto* label = new QLabel(caption, this);
    label->setObjectName(QStringLiteral("pageCaption"));
    label->setAlignment(Qt::AlignCenter);
    label->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
}
