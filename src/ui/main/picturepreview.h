#pragma once

#include <QObject>
#include <QThreadPool>

#include <atomic>

class BrowserState;
class ImageBox;
class PictureLoader;
class QWidget;
class ThumbnailGrid;

// The large preview of one picture (Image4), which takes the grid's place until it is clicked.
// Its picture is read on a thread of its own, never on the window's; a result that comes after
// another picture was asked for is dropped. The keys and the mouse wheel step through the
// grid's pictures in its order, the grid's focus cell following.
class PicturePreview : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PicturePreview)
public:
    // Its control is made on the window's client area, in its place there, hidden.
    PicturePreview(const PictureLoader &loader, const BrowserState &state, QWidget &client);
    // The grid whose thumbnails it shows large, and which it hides meanwhile.
    void showFrom(ThumbnailGrid &grid);
    bool isShown() const;

Q_SIGNALS:
    // The file name of the picture shown large; empty when the grid comes back.
    void pictureShown(const QString &name);

public Q_SLOTS:
    void Image1_DblClick(int Index);
    void Image4_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPicture(int index);
    // To another picture of the grid, which becomes its focus cell; marks nothing.
    void stepTo(int index);
    // The picture a key steps to, or -1 for a key that does not step.
    int stepTarget(int key) const;

    const PictureLoader &m_loader;
    const BrowserState &m_state;
    ThumbnailGrid *m_grid = nullptr;
    ImageBox *Image4 = nullptr;
    // Read by the reader, which skips a picture no longer wanted; before it, which outlives it.
    std::atomic<quint64> m_generation = 0;
    QThreadPool m_reader;
    // The wheel's turn not yet stepped: a touchpad sends it in small parts.
    int m_wheel = 0;
};
