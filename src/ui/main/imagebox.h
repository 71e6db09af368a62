#pragma once

#include <QPixmap>
#include <QWidget>

class QPainter;

// An image control that stretches its picture to fill its box (the aspect ratio is not
// kept) or, asked to, fits it inside the box in its own proportions, centred on the box's
// background; with an optional single-line border. A cell that stands for a file that is not a
// picture shows a "no picture" mark instead.
class ImageBox : public QWidget
{
    Q_OBJECT
public:
    explicit ImageBox(QWidget *parent = nullptr);

    const QPixmap &picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);
    void clearPicture();
    // Marks the box as standing for a file that could not be read as a picture.
    void setBroken(bool broken);
    bool isBroken() const { return m_broken; }
    bool hasBorder() const { return m_border; }
    void setBorder(bool border);
    void setKeepProportions(bool keep);
    // A picture of a shape as large as fits inside a box, centred in it.
    static QRect fitIn(const QRect &box, QSize shape);
    // The "no picture" mark, drawn in a box.
    static void paintNoPicture(QPainter &painter, const QRect &box);

Q_SIGNALS:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QPixmap m_picture;
    bool m_broken = false;
    bool m_border = false;
    bool m_keepProportions = false;
    bool m_doubleClicking = false;
};
