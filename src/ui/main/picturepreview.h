#pragma once

#include <QObject>
#include <QThreadPool>

class ImageBox;
class PictureLoader;
class QWidget;
class ThumbnailGrid;

// The large preview of one picture (Image4), which takes the grid's place until it is clicked.
// Its picture is read on a thread of its own, never on the window's; a result that comes after
// another picture was asked for is dropped.
class PicturePreview : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PicturePreview)
public:
    // Its control is made on the window's client area, in its place there, hidden.
    PicturePreview(const PictureLoader &loader, QWidget &client);
    // The grid whose thumbnails it shows large, and which it hides meanwhile.
    void showFrom(ThumbnailGrid &grid);
    bool isShown() const;

public Q_SLOTS:
    void Image1_DblClick(int Index);
    void Image4_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const PictureLoader &m_loader;
    ThumbnailGrid *m_grid = nullptr;
    ImageBox *Image4 = nullptr;
    QThreadPool m_reader;
    quint64 m_generation = 0;
};
