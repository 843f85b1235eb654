#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("Picture");
    QDir().mkpath(out + "/Dialog");
    QImage logo(64, 64, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(40, 160, 255));
    p.setPen(Qt::NoPen);
    p.drawEllipse(4, 4, 56, 56);
    p.end();
    return logo.save(out + "/Dialog/Logo.png") ? 0 : 1;
}
