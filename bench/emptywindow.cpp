// The floor bench/run_bench.py measures the program against: an empty widget
// window of the program's window size, started the same way. It prints the
// "bench ..." lines of the figures it shares with the program (first paint,
// processor time until then, resident memory) and quits.

#include "benchfigures.h"

#include <QApplication>
#include <QDateTime>
#include <QTimer>
#include <QWidget>

namespace {

class EmptyWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_painted)
            return;
        m_painted = true;
        bench::firstPaintLines(QDateTime::currentMSecsSinceEpoch());
        // Whatever the toolkit sets up after the first paint counts, as it
        // does for the program, which reads its memory later still.
        QTimer::singleShot(600, this, [] {
            bench::line("rss-kb %ld", bench::residentKb());
            QApplication::quit();
        });
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char *argv[])
{
    // As the program does: no X11 OpenGL integration for plain widgets.
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication app(argc, argv);
    EmptyWindow window;
    window.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    window.setFixedSize(1340, 940);
    window.show();
    return app.exec();
}
