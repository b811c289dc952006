#pragma once
// The dump window: the whole controller image bit by bit in the grid SG.
// It is refreshed from the image after every change while it is shown; while
// hidden it keeps what it showed last. The grid is made when the window is
// first shown.

#include <QWidget>

class QTableView;
class TDumpModel;
class TImage;

class TDbg : public QWidget {
    Q_OBJECT
public:
    static constexpr int AddressWidth = 30;
    static constexpr int BitWidth = 24;
    static constexpr int HexWidth = 28;
    static constexpr int RowHeight = 16;
    static constexpr int CellFontPixels = 5;
    static constexpr int FirstVisibleRow = 33;

    explicit TDbg(QWidget* parent = nullptr);

    // Rewrites the image rows of the grid, only while the window is shown.
    void Refresh(const TImage& image);

    // The grid, made now if the window has not been shown yet.
    QTableView* grid() const;

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Made on first need, also by a caller that only reads it.
    mutable TDumpModel* m_model = nullptr;
    mutable QTableView* SG = nullptr;
    bool m_opened = false;
};

extern TDbg* Dbg;
