#include "shell/PaperView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "sim/render/PaperOutput.h"

namespace veltra::shell {

QImage reducedPage(const QImage& page, int factor) {
    const QImage rgb =
        page.format() == QImage::Format_RGB888 ? page : page.convertToFormat(QImage::Format_RGB888);
    factor = std::max(1, factor);
    QImage out((rgb.width() + factor - 1) / factor, (rgb.height() + factor - 1) / factor,
               QImage::Format_RGB888);
    out.fill(Qt::white);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* in = rgb.constScanLine(y);
        uchar* to = out.scanLine(y / factor);
        for (int x = 0; x < rgb.width(); ++x) {
            uchar* px = to + 3 * (x / factor);
            for (int c = 0; c < 3; ++c) {
                px[c] = std::min(px[c], in[3 * x + c]);
            }
        }
    }
    return out;
}

PageCanvas::PageCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName("VpPaperCanvas");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PageCanvas::setPage(const QImage& page) {
    page_ = page;
    reduce();
    resize(sizeHint());
    update();
}

void PageCanvas::setZoom(double zoom) {
    zoom_ = zoom;
    reduce();
    resize(sizeHint());
    update();
}

void PageCanvas::reduce() {
    reduced_ = page_.isNull() || zoom_ >= 1.0 ? QImage()
                                              : reducedPage(page_, int(std::lround(1.0 / zoom_)));
}

QSize PageCanvas::sizeHint() const {
    if (page_.isNull()) {
        return {200, 280};
    }
    return {int(std::ceil(page_.width() * zoom_)), int(std::ceil(page_.height() * zoom_))};
}

void PageCanvas::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), palette().dark());
    if (page_.isNull()) {
        return;
    }
    const QRectF target = QRectF(event->rect()).intersected(QRectF(QPointF(0, 0), sizeHint()));
    if (!reduced_.isNull()) {
        // Reduced ahead, pixel for pixel: a smooth scaling would fade a 1-dot line to nothing.
        p.drawImage(target, reduced_, target);
        return;
    }
    // Enlarged, every dot stays a sharp square.
    const QRectF source(target.x() / zoom_, target.y() / zoom_, target.width() / zoom_,
                        target.height() / zoom_);
    p.drawImage(target, page_, source);
}

PaperView::PaperView(QWidget* parent) : QWidget(parent) {
    setObjectName("VpPaperView");
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    pageCombo_ = new QComboBox(this);
    pageCombo_->setObjectName("VpPageCombo");
    pageCombo_->setMinimumContentsLength(14);
    zoomCombo_ = new QComboBox(this);
    zoomCombo_->setObjectName("VpZoomCombo");
    for (double zoom : kZooms) {
        zoomCombo_->addItem(QString::number(zoom * 100.0, 'g', 4) + " %");
    }
    zoomCombo_->setCurrentIndex(kOpeningZoom);
    bar->addWidget(new QLabel("Page", this));
    bar->addWidget(pageCombo_, 1);
    bar->addWidget(new QLabel("Zoom", this));
    bar->addWidget(zoomCombo_);
    layout->addLayout(bar);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName("VpPaperScroll");
    canvas_ = new PageCanvas;
    canvas_->setZoom(kZooms[kOpeningZoom]);
    scroll_->setWidget(canvas_);
    scroll_->setAlignment(Qt::AlignHCenter);
    layout->addWidget(scroll_, 1);

    connect(pageCombo_, &QComboBox::currentIndexChanged, this, &PaperView::showPage);
    connect(zoomCombo_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) {
            return;
        }
        // Keep the middle of the view where it is.
        const QPointF middle(
            (scroll_->horizontalScrollBar()->value() + scroll_->viewport()->width() / 2.0) /
                canvas_->zoom(),
            (scroll_->verticalScrollBar()->value() + scroll_->viewport()->height() / 2.0) /
                canvas_->zoom());
        canvas_->setZoom(kZooms[index]);
        scroll_->horizontalScrollBar()->setValue(
            int(middle.x() * kZooms[index] - scroll_->viewport()->width() / 2.0));
        scroll_->verticalScrollBar()->setValue(
            int(middle.y() * kZooms[index] - scroll_->viewport()->height() / 2.0));
    });
}

void PaperView::addPage(const QString& caption, const QImage& page) {
    // Kept as an indexed image where the page allows: a third of the memory.
    const std::optional<QImage> indexed = sim::indexedPage(page);
    pages_.push_back(indexed ? *indexed : page);
    pageCombo_->addItem(caption);
    if (int(pages_.size()) > kKeptPages) {
        pages_.pop_front();
        pageCombo_->removeItem(0);
    }
    pageCombo_->setCurrentIndex(pageCombo_->count() - 1);
    showPage(pageCombo_->count() - 1);
    scrollToPrint();
}

void PaperView::scrollToPrint() {
    const QImage& page = canvas_->page();
    const QRgb paper = qRgb(255, 255, 255);
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (page.pixel(x, y) != paper) {
                constexpr int kAbove = 40;  // a little paper above the first printed row
                const double zoom = canvas_->zoom();
                scroll_->horizontalScrollBar()->setValue(0);
                scroll_->verticalScrollBar()->setValue(int((y - kAbove) * zoom));
                return;
            }
        }
    }
}

void PaperView::showPage(int index) {
    if (index < 0 || index >= int(pages_.size())) {
        return;
    }
    canvas_->setPage(pages_[std::size_t(index)]);
}

}  // namespace veltra::shell
