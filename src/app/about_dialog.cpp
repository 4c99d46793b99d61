#include "app/about_dialog.h"

#include "platform/launcher.h"
#include "platform/platform_info.h"
#include "ui/error_boundary.h"

#include <QIcon>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace strovex {
namespace {

const QSize kSize(460, 300);
const QString kSite = QStringLiteral("https://strovex.example.org/");

// A printed label with a barcode and a red dot, drawn into `box` (130 x 90 as
// designed): the mark of the About picture and of the window icon.
void drawLabelMark(QPainter &p, const QRectF &box)
{
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 130.0, box.height() / 90.0);
    p.setPen(Qt::NoPen);
    QPainterPath label;
    label.addRoundedRect(QRectF(0, 0, 130, 90), 8, 8);
    p.setBrush(QColor(0xf1, 0xfa, 0xee));
    p.drawPath(label);
    p.setBrush(QColor(0x1d, 0x35, 0x57));
    for (int i = 0; i < 22; ++i) {
        const int w = (i % 3 == 0) ? 3 : 1;
        p.drawRect(QRectF(12 + i * 4.5, 50, w, 28));
    }
    p.drawRect(QRectF(12, 14, 70, 6));
    p.drawRect(QRectF(12, 26, 46, 5));
    p.setBrush(QColor(0xe6, 0x39, 0x46));
    p.drawEllipse(QPointF(105, 22), 11, 11);
    p.restore();
}

// A label roll and a printed label on a dark gradient: our own picture.
QPixmap aboutPicture()
{
    QPixmap pixmap(kSize);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, kSize.width(), kSize.height());
    sky.setColorAt(0, QColor(0x1d, 0x35, 0x57));
    sky.setColorAt(1, QColor(0x45, 0x7b, 0x9d));
    p.fillRect(pixmap.rect(), sky);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 30));
    p.drawEllipse(QPointF(380, 70), 120, 120);

    drawLabelMark(p, QRectF(300, 150, 130, 90));
    return pixmap;
}

} // namespace

QIcon strovexIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1d, 0x35, 0x57));
        p.drawRoundedRect(QRectF(0, 0, size, size), size / 8.0, size / 8.0);
        const qreal margin = size / 16.0;
        const qreal width = size - 2 * margin;
        drawLabelMark(p, QRectF(margin, (size - width * 90 / 130) / 2, width, width * 90 / 130));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QString TfrmAbout::versionLine()
{
    return QStringLiteral("Version ") + versionText(productVersion(), buildNumber());
}

TfrmAbout::TfrmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Strovex"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(kSize);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imgAbout"));
    picture->setPixmap(aboutPicture());
    picture->setGeometry(QRect(QPoint(0, 0), kSize));

    auto *text = new QWidget(this);
    text->setGeometry(24, 24, 280, kSize.height() - 40);
    auto *layout = new QVBoxLayout(text);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *product = new QLabel(QStringLiteral("Strovex"), text);
    product->setObjectName(QStringLiteral("lblProduct"));
    product->setStyleSheet(QStringLiteral("color: white; font-size: 30px; font-weight: bold;"));
    auto *version = new QLabel(versionLine(), text);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto *legal = new QLabel(QStringLiteral("Copyright \u00A9 2026 The Strovex developers.\nAll rights reserved."), text);
    legal->setObjectName(QStringLiteral("lblLegal"));
    auto *link = new QLabel(QStringLiteral("<a style=\"color:#a8dadc\" href=\"%1\">%1</a>").arg(kSite), text);
    link->setObjectName(QStringLiteral("lblLink"));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(link, &QLabel::linkActivated, this, [this](const QString &url) {
        runGuarded(this, [&] { launcher().openWithAssociatedProgram(url); });
    });
    for (QLabel *l : {version, legal})
        l->setStyleSheet(QStringLiteral("color: #f1faee;"));
    layout->addWidget(product);
    layout->addWidget(version);
    layout->addStretch(1);
    layout->addWidget(legal);
    layout->addWidget(link);
}

void TfrmAbout::mousePressEvent(QMouseEvent *event)
{
    QDialog::mousePressEvent(event);
    accept();
}

} // namespace strovex
