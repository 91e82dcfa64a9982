#pragma once

#include "envelopes/envelopescene.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

class QLabel;

// The envelope window's drawing of an envelope: the envelope's outline at the chosen format's
// proportions, a stamp (`Image1`), the two guide lines from the envelope's edges to the address
// corner with their marks, and the sender frame. The previews handed to it (the sender text, the
// address block, the two margin marks) are its children and are placed where the print puts
// them; their own size is kept, so they show the text in its real font. The drawing scales to
// the room it is given.
class EnvelopeView : public QWidget
{
    Q_OBJECT

public:
    explicit EnvelopeView(QWidget* parent = nullptr);

    // The previews to place; each becomes a child of the drawing.
    void setSenderPreview(QLabel* label);
    void setAddressPreview(QLabel* label);
    // `left` marks the left margin (on the horizontal guide), `top` the top margin.
    void setMarginMarks(QLabel* left, QLabel* top);

    void setScene(const EnvelopeScene& scene);
    const EnvelopeScene& scene() const { return m_scene; }
    // Colour of the sender frame.
    void setSenderColor(const QColor& color);

    // Millimetres to pixels as currently drawn.
    SceneMapping mapping() const;
    QWidget* stamp() const { return m_stamp; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    void adopt(QLabel* label);

    EnvelopeScene m_scene;
    QColor m_senderColor = Qt::black;
    QPointer<QLabel> m_sender;
    QPointer<QLabel> m_address;
    QPointer<QLabel> m_leftMark;
    QPointer<QLabel> m_topMark;
    QWidget* m_stamp = nullptr;
};
