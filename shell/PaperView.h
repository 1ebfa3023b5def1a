#pragma once
// The "Virtual printer" tool window's paper: the pages its printers ejected, the newest on view,
// zoomable, so that a trainee reads the printed patterns off the screen. The last kKeptPages
// pages are kept (a page of A4 at 360 dpi is large).
#include <QComboBox>
#include <QImage>
#include <QScrollArea>
#include <QWidget>
#include <deque>

namespace veltra::shell {

// The page reduced by a whole factor: each pixel the darkest of its factor x factor block, per
// colour channel, so that no printed line, however thin, disappears from the reduced page.
QImage reducedPage(const QImage& page, int factor);

// One page, drawn at a zoom; only the part in view is painted.
class PageCanvas : public QWidget {
public:
    explicit PageCanvas(QWidget* parent = nullptr);
    void setPage(const QImage& page);
    void setZoom(double zoom);
    double zoom() const { return zoom_; }
    const QImage& page() const { return page_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void reduce();

    QImage page_;
    QImage reduced_;  // the page at a zoom below 100 %
    double zoom_ = 1.0;
};

class PaperView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kKeptPages = 12;
    static constexpr double kZooms[] = {0.125, 0.25, 0.5, 1.0, 2.0, 4.0};
    // 100 %: a dot a pixel, so that a stroke one or two dots off can be seen.
    static constexpr int kOpeningZoom = 3;

    explicit PaperView(QWidget* parent = nullptr);

    // A page ejected; it goes on view.
    void addPage(const QString& caption, const QImage& page);
    int pageCount() const { return int(pages_.size()); }
    // The page on view (a null image before the first).
    const QImage& shownPage() const { return canvas_->page(); }
    PageCanvas* canvas() const { return canvas_; }

private:
    void showPage(int index);
    // Scrolls to the top left of what is printed on the page on view.
    void scrollToPrint();

    QComboBox* pageCombo_;
    QComboBox* zoomCombo_;
    QScrollArea* scroll_;
    PageCanvas* canvas_;
    std::deque<QImage> pages_;
};

}  // namespace veltra::shell
