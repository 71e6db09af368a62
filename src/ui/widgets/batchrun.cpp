#include "ui/widgets/batchrun.h"

#include "ui/widgets/waitcursor.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace
{
// A batch that ends sooner shows no progress window: it would only flash.
constexpr int progressDelayMs = 300;
// How often the progress window shows the count anew.
constexpr int progressRefreshMs = 100;
constexpr int progressWidth = 360;

// Swallows what the user does to any window while it lives: clicks, keys, shortcuts, drops
// and closing a window by its close box.
class InputBlock : public QObject
{
public:
    InputBlock() { qApp->installEventFilter(this); }
    ~InputBlock() override { qApp->removeEventFilter(this); }
    Q_DISABLE_COPY_MOVE(InputBlock)

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
            return true;
        case QEvent::Close:
            return event->spontaneous();
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

// The small window that tells how far a long batch has got.
class BatchProgress : public QWidget
{
public:
    BatchProgress(const QString &text, qsizetype total)
        : QWidget(QApplication::activeWindow(),
            Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
        , m_text(text)
        , m_total(total)
    {
        setObjectName(QStringLiteral("batchProgress"));
        setWindowTitle(platform::programTitle);
        // Its end must not count as the last window closing.
        setAttribute(Qt::WA_QuitOnClose, false);
        setFixedWidth(progressWidth);
        m_label->setTextFormat(Qt::PlainText);
        m_bar->setRange(0, int(qMin<qsizetype>(total, INT_MAX)));
        m_bar->setTextVisible(false);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(m_label);
        layout->addWidget(m_bar);
    }

    void setDone(qsizetype done)
    {
        const QLocale locale;
        m_label->setText(
            m_text.arg(locale.toString(qMin(done, m_total)), locale.toString(m_total)));
        m_bar->setValue(int(qMin(done, qsizetype(m_bar->maximum()))));
    }

private:
    QLabel *m_label = new QLabel(this);
    QProgressBar *m_bar = new QProgressBar(this);
    QString m_text;
    qsizetype m_total;
};
} // namespace

jobs::JobReport runBatch(
    platform::MousePointer &mouse, const QString &progressText, qsizetype total, const Batch &batch)
{
    const WaitCursor busy(mouse);
    const InputBlock block;
    jobs::Progress progress;
    jobs::JobReport report;
    const std::unique_ptr<QThread> worker(QThread::create([&] { report = batch(progress); }));
    QEventLoop loop;
    QObject::connect(
        worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);

    std::unique_ptr<BatchProgress> window;
    QTimer refresh;
    refresh.setInterval(progressRefreshMs);
    QObject::connect(&refresh, &QTimer::timeout, [&] { window->setDone(progress.done()); });
    QTimer::singleShot(progressDelayMs, &refresh, [&] {
        window = std::make_unique<BatchProgress>(progressText, total);
        window->setDone(progress.done());
        window->show();
        refresh.start();
    });

    worker->start();
    loop.exec();
    worker->wait();
    return report;
}
