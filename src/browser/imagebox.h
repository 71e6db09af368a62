#pragma once

#include <QPixmap>
#include <QStringList>
#include <QWidget>

// An image control that stretches its picture to fill its box (the aspect ratio is not
// kept), with an optional single-line border. A cell that stands for a file that is not a
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
    bool m_doubleClicking = false;
};

// A light caption under a thumbnail: transparent or opaque (a fixed back colour), with or
// without a single-line border. A long name wraps between words onto the lines that fit; the
// last of them, or a word too wide for a line, ends in "…". The tip shows the whole name.
class CellLabel : public QWidget
{
    Q_OBJECT
public:
    explicit CellLabel(QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque);
    bool hasBorder() const { return m_border; }
    void setBorder(bool border);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &color);
    // The lines the caption shows, from the top.
    QStringList shownLines() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF textBox() const;

    QString m_caption;
    QColor m_back;
    bool m_opaque = false;
    bool m_border = false;
};
