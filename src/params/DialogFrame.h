#pragma once

class QDialog;
class QFrame;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QString;
class QWidget;

namespace paramdialog {

// Makes dialog a window without title bar inside a plain visible border
// and returns the frame that holds its controls (Escape still cancels).
QFrame* makeBorderedFrame(QDialog* dialog);

// The prompt of an editing dialog: plain text, word-wrapped, '&' shown as
// it is even when the label names a buddy.
QLabel* makePromptLabel(QWidget* parent, const QString& objectName);
void setPromptText(QLabel* label, const QString& prompt);

// A push button with an objectName. Enter presses the button that has the
// focus; with the focus elsewhere, the default button.
QPushButton* makeButton(QWidget* parent, const QString& text, const QString& objectName, bool isDefault);

// The centred row of the default button okText, which accepts the dialog,
// and cancelText, which rejects it ("okButton" and "cancelButton").
QHBoxLayout* makeAcceptRow(QDialog* dialog, QWidget* parent, const QString& okText, const QString& cancelText);

} // namespace paramdialog
