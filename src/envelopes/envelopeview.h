#pragma once

#include "envelopes/envelopescene.h"
#include "printer/printeditems.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class PrintedTextLabel;

// The envelope window's drawing of an envelope, to scale: the envelope's outline at the chosen
// format's size, a stamp (`Image1`), the two guide lines from the envelope's edges to the address
// corner with their marks, and what the print puts on the envelope, drawn by the printing code:
// the sender frame and, in the two previews handed to it (the sender text, the address block),
// every printed line in its real size. The previews are its children, placed over what they
// show; text running past the envelope's edge is shown where it prints. The whole drawing
// scales to the room it is given.
class EnvelopeView : public QWidget
{
    Q_OBJECT

public:
    explicit EnvelopeView(QWidget* parent = nullptr);

    // The previews to place; each becomes a child of the drawing.
    void setSenderPreview(PrintedTextLabel* label);
    void setAddressPreview(PrintedTextLabel* label);
    // `left` marks the left margin (on the horizontal guide), `top` the top margin.
    void setMarginMarks(QLabel* left, QLabel* top);

    void setScene(const EnvelopeScene& scene);
    const EnvelopeScene& scene() const { return m_scene; }
    // What the printing code drew for the sender label and for the address, laid out at
    // `resolution`, in millimetres from the envelope's corner.
    void setPrinted(const PrintedPage& sender, const PrintedPage& address, double resolution);

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
    PrintedPage m_senderPage;
    PrintedPage m_addressPage;
    double m_resolution = 1200;
    QPointer<PrintedTextLabel> m_sender;
    QPointer<PrintedTextLabel> m_address;
    QPointer<QLabel> m_leftMark;
    QPointer<QLabel> m_topMark;
    QWidget* m_stamp = nullptr;
};
