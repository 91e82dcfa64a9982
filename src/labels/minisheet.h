#pragma once

#include <QLabel>
#include <QRectF>
#include <QSizeF>
#include <QWidget>
#include <array>

// One label position of the miniature sheet: a framed label the user clicks.
class SheetPosition : public QLabel
{
    Q_OBJECT

public:
    explicit SheetPosition(const QString& text, QWidget* parent = nullptr);
    void setBackground(const QColor& color);
    QColor background() const;
    // The part of the label that falls off the paper (its own coordinates), hatched; empty when
    // it lies on the paper.
    void setOffPaper(const QRectF& part);
    QRectF offPaper() const { return m_offPaper; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_pressed = false;
    QRectF m_offPaper;
};

// A miniature of the label sheet as it prints: the paper in its orientation with its printable
// area, and the ten labels, two per row, where the sheet geometry puts them, to scale; what
// falls off the paper is drawn hatched beyond its edge. The positions are child widgets named
// Label1 .. Label10.
class MiniSheet : public QWidget
{
    Q_OBJECT

public:
    explicit MiniSheet(QWidget* parent = nullptr);

    SheetPosition* position(int n) const { return m_positions[size_t(n - 1)]; }

    // The sheet drawn: the paper (mm), its printable area and each label's place (1..10, index
    // 0..9), both in mm from the paper's corner.
    void setSheet(const QSizeF& paper, const QRectF& printable,
                  const std::array<QRectF, 10>& labels);
    QSizeF paper() const { return m_paper; }
    // Screen pixels of a millimetre of paper, and where the paper's corner is drawn.
    double scale() const;
    QPointF paperCorner() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void positionClicked(int n);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // What is drawn, mm from the paper's corner: the paper and every label.
    QRectF drawnArea() const;
    QRectF toWidget(const QRectF& mm) const;
    void placePositions();

    QSizeF m_paper{210, 297};
    QRectF m_printable{0, 0, 210, 297};
    std::array<QRectF, 10> m_labels{};
    std::array<SheetPosition*, 10> m_positions{};
};
