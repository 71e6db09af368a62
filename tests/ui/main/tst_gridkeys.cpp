#include "core/state/gridcells.h"
#include "support/picturefolders.h"
#include "ui/main/frmmain.h"
#include "ui/main/imagebox.h"
#include "ui/widgets/folderlistbox.h"

#include <QAccessible>
#include <QListWidget>
#include <QMimeData>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

namespace
{
constexpr int pictures = 23;

QStringList pictureNames()
{
    QStringList names;
    for (int i = 0; i < pictures; ++i)
        names.append(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
    return names;
}

// The selection by file name, in its order.
QStringList selectedNames(frmMain &w)
{
    QStringList names;
    for (const QString &path : w.state().selection())
        names.append(QFileInfo(QDir::fromNativeSeparators(path)).fileName());
    return names;
}

// A thumbnail with its caption lies whole inside the grid's viewport.
bool inView(frmMain &w, int index)
{
    const QRect cell = ThumbnailView::pictureRect(index)
                           .united(ThumbnailView::captionRect(index))
                           .translated(control<ThumbnailView>(w, "picInner").pos());
    return control<QWidget>(w, "picOuter").rect().contains(cell);
}
} // namespace

// The grid from the keyboard and with the usual modifiers, dragged out, and read aloud.
class TestGridKeys : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PictureFolders> m_folders;
    std::unique_ptr<MainSession> m_session;
    QString m_folder;

    frmMain &openMain()
    {
        m_session = std::make_unique<MainSession>();
        frmMain &w = m_session->w;
        [&] { QVERIFY(m_folders->open(w, m_folder)); }();
        return w;
    }

    // One step as the user takes it: "click 3", "shift-click 1", "ctrl-click 5", a key with
    // Shift: "shift Right", or a key or a notch of the wheel on the large picture: "large Down",
    // "large wheel -120".
    static void run(frmMain &w, const QString &step)
    {
        const QString what = step.section(QLatin1Char(' '), 0, 0);
        const QString arg = step.section(QLatin1Char(' '), 1);
        if (what == QLatin1String("large") && arg.startsWith(QLatin1String("wheel"))) {
            ImageBox &large = control<ImageBox>(w, "Image4");
            const QPoint at = large.rect().center();
            QWheelEvent wheel(at, large.mapToGlobal(at), {}, QPoint(0, arg.section(' ', 1).toInt()),
                Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&large, &wheel);
            return;
        }
        Qt::KeyboardModifiers modifiers;
        if (what.startsWith(QLatin1String("shift")))
            modifiers |= Qt::ShiftModifier;
        if (what.startsWith(QLatin1String("ctrl")))
            modifiers |= Qt::ControlModifier;
        if (what.endsWith(QLatin1String("click"))) {
            QTest::mouseClick(&control<ThumbnailView>(w, "picInner"), Qt::LeftButton, modifiers,
                ThumbnailView::pictureRect(arg.toInt()).center());
            return;
        }
        const QMetaEnum keys = QMetaEnum::fromType<Qt::Key>();
        const int key = keys.keyToValue(("Key_" + arg).toLatin1().constData());
        QWidget *target = &control<ThumbnailView>(w, "picInner");
        if (what == QLatin1String("large"))
            target = &control<ImageBox>(w, "Image4");
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }

private slots:
    void initTestCase()
    {
        m_folders = std::make_unique<PictureFolders>();
        m_folder = m_folders->make(QStringLiteral("roll"), pictureNames(), QSize(16, 12));
    }
    void cleanup() { m_session.reset(); }

    void keysMoveTheFocusCell_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("focus");
        QTest::newRow("Right") << 0 << "Right" << 1;
        QTest::newRow("Left at the first") << 0 << "Left" << 0;
        QTest::newRow("Left") << 6 << "Left" << 5;
        QTest::newRow("Down") << 2 << "Down" << 7;
        QTest::newRow("Up in the first row") << 2 << "Up" << 2;
        QTest::newRow("Down in the last row") << 21 << "Down" << 21;
        QTest::newRow("End") << 0 << "End" << 22;
        QTest::newRow("Home") << 22 << "Home" << 0;
        // Three rows a page: the viewport shows three rows of 150 pixels.
        QTest::newRow("PageDown") << 1 << "PageDown" << 16;
        QTest::newRow("PageDown past the last") << 18 << "PageDown" << 22;
        QTest::newRow("PageUp near the top") << 8 << "PageUp" << 3;
        // Shown large, the keys and the wheel step through the pictures one by one.
        QTest::newRow("large Right") << 0 << "large Right" << 1;
        QTest::newRow("large Right at the last") << 22 << "large Right" << 22;
        QTest::newRow("large Left at the first") << 0 << "large Left" << 0;
        QTest::newRow("large Down") << 2 << "large Down" << 3;
        QTest::newRow("large Up") << 7 << "large Up" << 6;
        QTest::newRow("large PageDown") << 1 << "large PageDown" << 2;
        QTest::newRow("large PageUp") << 8 << "large PageUp" << 7;
        QTest::newRow("large Home") << 22 << "large Home" << 0;
        QTest::newRow("large End") << 0 << "large End" << 22;
        QTest::newRow("large wheel on") << 4 << "large wheel -120" << 5;
        QTest::newRow("large wheel back, in parts") << 4 << "large wheel 60" << 4;
        QTest::newRow("large wheel back two") << 4 << "large wheel 240" << 2;
    }
    void keysMoveTheFocusCell()
    {
        QFETCH(int, start);
        QFETCH(QString, key);
        QFETCH(int, focus);
        frmMain &w = openMain();
        control<ThumbnailView>(w, "picInner").setFocus();
        control<ThumbnailView>(w, "picInner").setFocusCell(start);
        control<ThumbnailGrid>(w).scrollToCell(start);
        const bool large = key.startsWith(QLatin1String("large "));
        const QString name = QStringLiteral("p%1.jpg").arg(focus, 2, 10, QLatin1Char('0'));
        if (large) {
            run(w, QStringLiteral("key Return"));
            run(w, key);
            // The picture read and named is the one stepped to.
            QTRY_COMPARE(QFileInfo(m_session->loader.paths().last()).fileName(), name);
            QCOMPARE(w.windowTitle(), "Ravelin - " + name);
            run(w, QStringLiteral("large Escape"));
        } else {
            run(w, QStringLiteral("key ") + key);
        }
        QCOMPARE(w.windowTitle(), QStringLiteral("Ravelin"));
        QCOMPARE(control<ThumbnailView>(w, "picInner").focusCell(), focus);
        QVERIFY(inView(w, focus));
        // The focus is not a mark.
        QCOMPARE(selectedNames(w), QStringList());
    }

    void tabAndTheFocusFrame()
    {
        frmMain &w = openMain();
        QTest::keyClick(&control<ThumbnailView>(w, "picInner"), Qt::Key_Right);
        // Tab after the folder list reaches the grid.
        control<FolderListBox>(w, "Dir1").setFocus();
        QTRY_VERIFY(control<FolderListBox>(w, "Dir1").hasFocus());
        QTest::keyClick(&control<FolderListBox>(w, "Dir1"), Qt::Key_Tab);
        QTRY_VERIFY(control<ThumbnailView>(w, "picInner").hasFocus());
        // The gap round the cell, where only the frame is drawn.
        const QRect around = ThumbnailView::pictureRect(1).adjusted(-3, -3, 3, 3);
        const QImage framed = control<ThumbnailView>(w, "picInner").grab(around).toImage();
        control<FolderListBox>(w, "Dir1").setFocus();
        QTRY_VERIFY(framed != control<ThumbnailView>(w, "picInner").grab(around).toImage());
    }

    void spaceMarksEnterAndEscPreview()
    {
        frmMain &w = openMain();
        control<ThumbnailView>(w, "picInner").setFocus();
        run(w, "key Right");
        run(w, "key Space");
        QCOMPARE(selectedNames(w), QStringList { "p01.jpg" });
        run(w, "key Space");
        for (const Qt::Key close : { Qt::Key_Escape, Qt::Key_Return }) {
            run(w, "key Return");
            QTRY_VERIFY(
                control<PicturePreview>(w).isShown() && control<ImageBox>(w, "Image4").hasFocus());
            QTest::keyClick(&control<ImageBox>(w, "Image4"), close);
            QTRY_VERIFY(!control<PicturePreview>(w).isShown()
                && control<ThumbnailView>(w, "picInner").hasFocus());
        }
        // Enter shows the picture without marking it.
        QCOMPARE(selectedNames(w), QStringList());
    }

    void rangesInGridOrder_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("selected");
        const auto row = [](const char *tag, const QStringList &steps, const QList<int> &marked) {
            QStringList names;
            for (const int i : marked)
                names.append(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
            QTest::newRow(tag) << steps << names;
        };
        row("Shift-click backward", { "click 4", "shift-click 1" }, { 4, 1, 2, 3 });
        row("Shift-click keeps earlier marks", { "click 9", "click 2", "shift-click 0" },
            { 9, 2, 0, 1 });
        row("Shift-click with none clicked toggles", { "shift-click 3" }, { 3 });
        row("Ctrl-click toggles", { "click 1", "ctrl-click 3", "ctrl-click 1" }, { 3 });
        row("Shift+Up", { "click 7", "shift Up" }, { 7, 2, 3, 4, 5, 6 });
        row("Shift+Right from the focus", { "shift Right", "shift Right" }, { 0, 1, 2 });
        row("Shift+Right from the last click",
            { "click 2", "key Right", "key Right", "shift Right" }, { 2, 3, 4, 5 });
    }
    void rangesInGridOrder()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, selected);
        frmMain &w = openMain();
        control<ThumbnailView>(w, "picInner").setFocus();
        QSignalSpy changes(&w.state(), &BrowserState::selectionChanged);
        for (const QString &step : steps)
            run(w, step);
        QCOMPARE(selectedNames(w), selected);
        // One change of the selection for each step that changed it: one repaint.
        QVERIFY(changes.count() <= steps.count());
        for (int i = 0; i < pictures; ++i)
            QCOMPARE(control<ThumbnailView>(w, "picInner").isMarked(i),
                selected.contains(control<ThumbnailGrid>(w).cells().names()[i]));
    }

    void dragOutCarriesTheMarkedFiles()
    {
        frmMain &w = openMain();
        run(w, QStringLiteral("click 3"));
        run(w, QStringLiteral("click 1"));
        const std::unique_ptr<QMimeData> data(control<ThumbnailView>(w, "picInner").dragData());
        const QDir folder(QDir::fromNativeSeparators(m_folder));
        QCOMPARE(data->urls(),
            (QList<QUrl> { QUrl::fromLocalFile(folder.filePath("p01.jpg")),
                QUrl::fromLocalFile(folder.filePath("p03.jpg")) }));

        // A copy leaves all as it was; after a move the folder is read again, the selection
        // emptied.
        Q_EMIT control<ThumbnailView>(w, "picInner").draggedOut(Qt::CopyAction);
        QCOMPARE(selectedNames(w), (QStringList { "p03.jpg", "p01.jpg" }));
        const QString moved = m_folders->make(QStringLiteral("moved"), {});
        for (const QString &name : QStringList { "p01.jpg", "p03.jpg" })
            QVERIFY(QFile::rename(folder.filePath(name), QDir(moved).filePath(name)));
        Q_EMIT control<ThumbnailView>(w, "picInner").draggedOut(Qt::MoveAction);
        QVERIFY(control<ThumbnailGrid>(w).cells().waitUntilBuilt());
        QCOMPARE(selectedNames(w), QStringList());
        QCOMPARE(control<ThumbnailGrid>(w).cells().names().count(), pictures - 2);
        for (const QString &name : QStringList { "p01.jpg", "p03.jpg" })
            QVERIFY(QFile::rename(QDir(moved).filePath(name), folder.filePath(name)));
    }

    void cellsForScreenReaders()
    {
        frmMain &w = openMain();
        QAccessibleInterface *grid
            = QAccessible::queryAccessibleInterface(&control<ThumbnailView>(w, "picInner"));
        QVERIFY(grid != nullptr);
        QCOMPARE(grid->childCount(), pictures);
        QAccessibleInterface *cell = grid->child(4);
        QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("p04.jpg"));
        QCOMPARE(cell->role(), QAccessible::ListItem);
        QCOMPARE(cell->text(QAccessible::Description), QStringLiteral("not marked"));
        clickThumbnail(w, 4);
        QVERIFY(cell->state().selected && !grid->child(3)->state().selected);
        QCOMPARE(cell->text(QAccessible::Description), QStringLiteral("marked"));
        const QPoint centre = control<ThumbnailView>(w, "picInner")
                                  .mapToGlobal(ThumbnailView::pictureRect(4).center());
        QCOMPARE(grid->childAt(centre.x(), centre.y()), cell);

        // Read once more after the folder is gone: no cells left.
        control<QAction>(w, "mnuEditSelectNone").trigger();
        control<ThumbnailGrid>(w).UnloadThumbnails();
        QCOMPARE(grid->childCount(), 0);
        QVERIFY(!cell->isValid());
    }
};

QTEST_MAIN(TestGridKeys)
#include "tst_gridkeys.moc"
