// Small makers for the absolutely placed controls of the wizard's pages:
// each makes one control with its object name, caption and geometry.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStringList>

namespace dravik::wizard {

// A group box whose title sits on its frame's top line, so that the rows
// inside keep their designed distance from the top whatever the style.
class TGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A label; width 0 sizes it to its text. Right-aligned labels keep their
// right edge at left + width.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top, int width = 0,
                  Qt::Alignment align = Qt::AlignLeft);
QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
                    int height = 21);
QComboBox* MakeCombo(QWidget* parent, const char* name, const QStringList& items, const QString& text, int left,
                     int top, int width);
QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& text, bool checked, int left, int top,
                     int width, int height = 17);
QRadioButton* MakeRadio(QWidget* parent, const char* name, const QString& text, bool checked, int left, int top,
                        int width, int height = 17);
QGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title, int left, int top, int width,
                     int height);
// A white rectangle with a thin black outline, below its siblings.
QFrame* MakeShape(QWidget* parent, const char* name, int left, int top, int width, int height);
// A horizontal etched line.
QFrame* MakeBevelLine(QWidget* parent, const char* name, int left, int top, int width);

// Paints a control's text (or, for edits, its background) in a colour.
void SetTextColour(QWidget* widget, const QColor& colour);
void SetBaseColour(QWidget* widget, const QColor& colour);
void SetWhiteBackground(QWidget* widget);

// Sets the tab order of the widgets in the given sequence.
void ChainTabOrder(std::initializer_list<QWidget*> widgets);

}  // namespace dravik::wizard
