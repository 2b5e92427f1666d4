#include "BitMaskDialog.h"

#include "DialogFrame.h"
#include "DialogUnits.h"
#include "DialogValues.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

BitMaskDialog::BitMaskDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("bitMaskDialog"));
    QFrame* frame = paramdialog::makeBorderedFrame(this);

    promptLabel_ = paramdialog::makePromptLabel(frame, QStringLiteral("promptLabel"));

    // Bits 0..7 down the left column, 8..15 down the right.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(dialogUnitsToPixels(font(), 16, 0).width());
    for (int bit = 0; bit < 16; ++bit) {
        auto* box = new QCheckBox(QString::number(bit + 1), frame);
        box->setObjectName(QStringLiteral("bitBox%1").arg(bit));
        grid->addWidget(box, bit % 8, bit / 8);
        boxes_[std::size_t(bit)] = box;
    }

    auto* columns = new QHBoxLayout;
    columns->addStretch(1);
    columns->addLayout(grid);
    columns->addStretch(1);
    QHBoxLayout* buttons = paramdialog::makeAcceptRow(this, frame, QStringLiteral("OK"), QStringLiteral("Cancel"));

    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(promptLabel_);
    layout->addLayout(columns);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumSize(dialogUnitsToPixels(font(), 133, 143));
}

int BitMaskDialog::exec()
{
    paramdialog::setPromptText(promptLabel_, prompt);
    const QStringList labels = params::bitMaskLabels(prompt);
    const std::uint16_t value = params::bitMaskValue(valueChars);
    for (int bit = 0; bit < 16; ++bit) {
        boxes_[std::size_t(bit)]->setText(labels[bit]);
        boxes_[std::size_t(bit)]->setChecked((value >> bit) & 1u);
    }
    const int result = QDialog::exec();
    if (result == QDialog::Accepted) {
        std::uint16_t chosen = 0;
        for (int bit = 0; bit < 16; ++bit) {
            if (boxes_[std::size_t(bit)]->isChecked())
                chosen |= std::uint16_t(1u << bit);
        }
        const auto chars = params::bitMaskChars(chosen);
        std::copy(chars.begin(), chars.end(), valueChars);
    }
    return result;
}
