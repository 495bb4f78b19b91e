#pragma once
// Plays an AVI clip from a file in a loop, like the animation control of a splash.
#include "clip/avi_clip.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace qb {

// Shows nothing until a clip is open; a file that cannot be read or is damaged leaves it empty. With
// Transparent set, the colour of the first frame's top-left pixel is not drawn, so the parent shows
// through. UI thread only.
class AviPlayerWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr qint64 kMaxFileSize = 8 * 1024 * 1024;

    explicit AviPlayerWidget(QWidget* parent = nullptr);

    // Reads and decodes the whole clip; false (and nothing open) when the file is missing, unreadable, a
    // symbolic link or not a regular file, larger than kMaxFileSize or damaged. Stops what was playing.
    [[nodiscard]] bool Open(const QString& path);
    // Plays from the current frame, looping for ever; does nothing without a clip.
    void Play();
    void Stop();
    void Close();

    void SetTransparent(bool transparent);
    bool IsOpen() const { return m_clip.has_value(); }
    bool IsPlaying() const { return m_timer.isActive(); }
    int FrameCount() const;
    int CurrentFrame() const { return m_frame; }
    // The current frame as drawn (transparent key applied); null without a clip.
    QImage FrameImage() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void NextFrame();

    std::optional<AviClip> m_clip;
    QList<QRgb> m_colours;
    QTimer m_timer;
    int m_frame = 0;
    bool m_transparent = false;
};

} // namespace qb
