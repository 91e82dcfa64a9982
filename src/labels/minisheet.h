#pragma once

#include <QLabel>
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

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_pressed = false;
};

// A miniature A4 sheet of ten labels, two per row, with its margins and separators drawn. The
// positions are child widgets named Label1 .. Label10, laid out in proportion to the widget.
class MiniSheet : public QWidget
{
    Q_OBJECT

public:
    explicit MiniSheet(QWidget* parent = nullptr);

    SheetPosition* position(int n) const { return m_positions[size_t(n - 1)]; }

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
    // The drawing, in millimetres of the sheet, mapped onto the widget.
    QRectF pageRect() const;
    QRectF labelRect(int n) const;
    std::array<SheetPosition*, 10> m_positions{};
};
