#include "support/picturefolders.h"
#include "ui/info/about.h"
#include "ui/info/help.h"
#include "ui/main/frmmain.h"
#include "ui/main/imagebox.h"
#include "ui/move/movefilewindow.h"
#include "ui/options/frmoptions.h"
#include "ui/rename/rename.h"
#include "ui/widgets/colours.h"
#include "ui/widgets/folderlistbox.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
// What every control that takes the keys is called by a screen reader, below an interface.
void collectUnnamed(QAccessibleInterface *node, QStringList &unnamed)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface *child = node->child(i);
        if (child == nullptr)
            continue;
        const auto *widget = qobject_cast<const QWidget *>(child->object());
        if (widget != nullptr && widget->isVisible() && widget->focusPolicy() != Qt::NoFocus
            && child->text(QAccessible::Name).trimmed().isEmpty())
            unnamed.append(QStringLiteral("%1 at %2,%3")
                               .arg(widget->metaObject()->className())
                               .arg(widget->x())
                               .arg(widget->y()));
        if (widget != nullptr)
            collectUnnamed(child, unnamed);
    }
}

QPalette darkPalette()
{
    const QColor light(230, 230, 230);
    const QColor button(55, 55, 58);
    // Window text and button text, button, its shades, text, bright text, base and window.
    return QPalette(light, button, button.lighter(), button.darker(), button, light, Qt::white,
        QColor(30, 30, 30), QColor(45, 45, 48));
}

// The darkest pixel of a part of a widget as drawn.
QColor darkest(QWidget *widget, const QRect &part)
{
    const QImage image = widget->grab(part).toImage();
    QColor found(Qt::white);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.lightness() < found.lightness())
                found = pixel;
        }
    }
    return found;
}

constexpr double readable = 4.5;
} // namespace

// What a desktop user expects beyond the window's own design: the usual keys, names for
// screen readers, colours that survive a dark scheme, a context menu and dropped files.
class TestDesktop : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_pictures;
    std::unique_ptr<MainSession> m_session;

    frmMain &openMain()
    {
        m_session = std::make_unique<MainSession>();
        frmMain &w = m_session->w;
        [&] { QVERIFY(w.Form_Load()); }();
        w.show();
        w.activateWindow();
        w.openFolder(m_pictures);
        return w;
    }

private slots:
    void init()
    {
        m_pictures = m_dir.filePath(QStringLiteral("pictures"));
        QVERIFY(QDir(m_pictures).removeRecursively());
        QVERIFY(QDir().mkpath(m_pictures + "/dest"));
        QVERIFY(testpictures::write(m_pictures + "/a.jpg", Qt::red));
        QVERIFY(testpictures::write(m_pictures + "/b.jpg", Qt::blue));
        QVERIFY(testpictures::write(m_pictures + "/dest/b.jpg", Qt::green));
    }
    void cleanup()
    {
        m_session.reset();
        QApplication::setPalette(QPalette());
    }

    void everyControlHasAName()
    {
        frmMain &w = openMain();
        QStringList unnamed;
        collectUnnamed(QAccessible::queryAccessibleInterface(&w), unnamed);
        for (SecondaryWindow *window : std::initializer_list<SecondaryWindow *> { w.renameWindow(),
                 w.moveWindow(), w.optionsWindow(), w.helpWindow(), w.aboutWindow() }) {
            window->showWindow();
            collectUnnamed(QAccessible::queryAccessibleInterface(window), unnamed);
            window->close();
        }
        QCOMPARE(unnamed, QStringList());
    }

    void coloursReadableOnDarkPalette()
    {
        QApplication::setPalette(darkPalette());
        frmMain &w = openMain();
        const auto check = [](const QWidget *widget, QPalette::ColorRole text,
                               QPalette::ColorRole back) {
            return colours::contrast(widget->palette().color(text), widget->palette().color(back));
        };
        QVERIFY(check(&control<QLabel>(w, "Label3"), QPalette::WindowText, QPalette::Window)
            >= readable);
        QVERIFY(check(w.renameWindow()->List2, QPalette::Text, QPalette::Base) >= readable);

        // A marked caption is dark on its light yellow.
        control<QAction>(w, "mnuEditSelectAll").trigger();
        QVERIFY(control<ThumbnailView>(w, "picInner").isMarked(0));
        QVERIFY(colours::contrast(
                    darkest(&control<ThumbnailView>(w, "picInner"), ThumbnailView::pictureRect(0)),
                    colours::markBack)
            >= readable);
    }

    void contextMenuOnTheGrid()
    {
        frmMain &w = openMain();
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(300, 300),
            control<QWidget>(w, "picOuter").mapToGlobal(QPoint(300, 300)));
        QApplication::sendEvent(&control<QWidget>(w, "picOuter"), &click);
        QMenu *menu = &control<QMenu>(w, "gridMenu");
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(menu->actions().contains(&control<QAction>(w, "mnuEditDelete")));
        menu->close();

        QAction *showFolder = menu->actions().last();
        FakeProgram &program = m_session->services.programFake;
        showFolder->trigger();
        QCOMPARE(program.opened, std::vector<QUrl> { QUrl::fromLocalFile(m_pictures) });
        program.browser = false;
        showFolder->trigger();
        QCOMPARE(m_session->services.boxesFake.shown.size(), 1u);
    }

    void dropOntoAFolder()
    {
        // The RAW file of a.jpg goes with it, as in the move window.
        QVERIFY(testpictures::writeBytes(m_pictures + "/a.nef", "raw"));
        frmMain &w = openMain();
        w.state().setSettings({ .keepPairs = true });
        FakeBoxes &boxes = m_session->services.boxesFake;
        control<QAction>(w, "mnuEditSelectAll").trigger();
        const QList<QListWidgetItem *> found
            = control<FolderListBox>(w, "Dir1").findItems("dest", Qt::MatchExactly);
        QCOMPARE(found.size(), 1);

        QMimeData files;
        files.setUrls({ QUrl::fromLocalFile(m_pictures + "/a.jpg"),
            QUrl::fromLocalFile(m_pictures + "/b.jpg") });
        // As a drag from a file manager comes: it enters over the folder and is dropped there.
        const QPoint onFolder
            = control<FolderListBox>(w, "Dir1").visualItemRect(found.first()).center();
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(onFolder, offered, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(control<FolderListBox>(w, "Dir1").viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(onFolder, offered, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(control<FolderListBox>(w, "Dir1").viewport(), &drop);
        QVERIFY(drop.isAccepted());
        // The file manager is told of a copy, so that it removes nothing itself.
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QTRY_VERIFY(!boxes.shown.empty());
        QCOMPARE(boxes.texts().mid(0, 2),
            QStringList({ "Are you sure you want to MOVE these files ?", "2 Files moved!" }));
        QVERIFY(
            QFile::exists(m_pictures + "/dest/a.jpg") && QFile::exists(m_pictures + "/dest/a.nef"));
        // The file of the same name already there is kept, and so is the one dropped.
        QVERIFY(testpictures::centre(QImage(m_pictures + "/dest/b.jpg")).green() > 128);
        QCOMPARE(control<ThumbnailGrid>(w).cells().names(), QStringList { "b.jpg" });
        QCOMPARE(control<QListWidget>(w, "List1").count(), 0);
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
