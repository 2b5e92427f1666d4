#pragma once

#include <QPixmap>
#include <QWidget>

// A 16 x 16 signal lamp cut from the lamp sheet: one of four colours, two
// shapes and three states, centred in the control (from the top-left corner
// when the control is smaller), the page showing through around it. It is
// redrawn only when its state changes.
class LampIndicator : public QWidget
{
    Q_OBJECT

public:
    // y offsets in the sheet.
    enum ColourRow { Red = 0, Green = 16, Yellow = 32, Blue = 48 };
    enum LampState { Lit = 0, Dark = 1, Grey = 2 };
    enum ShapeOffset { Circular = 0, Square = 64 };

    static constexpr int kCell = 16;

    explicit LampIndicator(QWidget* parent = nullptr);

    void setLamp(int colourRow, int lampState, int shapeOffset);
    int colourRow() const { return colourRow_; }
    int lampState() const { return lampState_; }
    int shapeOffset() const { return shapeOffset_; }

    // The sheet cell a lamp state is drawn from.
    static QRect sheetCell(int colourRow, int lampState, int shapeOffset);
    // Where the cell goes in a control of the given size.
    static QRect cellRect(const QSize& controlSize);

    QSize sizeHint() const override { return {kCell, kCell}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap sheet_;
    int colourRow_ = Red;
    int lampState_ = Lit;
    int shapeOffset_ = Circular;
};
