#pragma once
// The toolbar: three picture buttons that behave as an option group.
#include "controls/picture_box.h"

namespace qb {

class UserControl5;

// `UserControl6`: holds "Block all", "Live Update" and "Options" (pictures 1 to 3) on the toolbar
// gradient. A click on button k raises `ButtonClick` with k, then resets the other two, so the clicked
// button keeps its outline as the mark of the chosen option. UI thread only.
class UserControl6 : public PictureBox {
    Q_OBJECT
public:
    explicit UserControl6(QWidget* parent = nullptr);

    void SubClassMe();
    void UnSubClassMe();

    // Buttons 1 to 3 (`UserControl51` to `UserControl53`).
    UserControl5* Button(int k) const { return m_buttons[k - 1]; }

signals:
    void ButtonClick(qint16 selectedOption);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnButtonClick(int k);

    UserControl5* m_buttons[3];
};

} // namespace qb
