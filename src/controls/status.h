#pragma once
// On/off light that swaps between fixed pictures of one size.
#include <QImage>
#include <QWidget>

class QLabel;

namespace qb {

// `Status`: `Image2` stands for 0, `Image1` for 1 and `Image3` for 2; `Image4` shows the current one
// and the control takes its size, also on show and resize. A value equal to the current status changes
// nothing; a value without a picture is recorded but keeps the picture shown. UI thread only.
class Status : public QWidget {
    Q_OBJECT
public:
    explicit Status(QWidget* parent = nullptr);

    void SetStatus(qint16 status);
    qint16 CurrentStatus() const { return m_currentStatus; }

    // Replaces the three design-time pictures (which must share one size).
    void SetPictures(const QImage& image1, const QImage& image2, const QImage& image3);
    QImage ShownPicture() const { return m_shown; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowCurrent();
    const QImage* PictureFor(qint16 status) const;
    void ShowPicture(const QImage& picture);

    QImage m_image1;
    QImage m_image2;
    QImage m_image3;
    QImage m_shown;
    QLabel* m_image4;
    qint16 m_currentStatus = 0;
};

} // namespace qb
