#pragma once
// A list box that tells when a mouse button has been released over it, after it has handled the
// release itself: a selection made by dragging from one row to another has ended there, and a
// click on the row already selected changes nothing the page would hear of otherwise.

#include <QListWidget>

class ListBox : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

signals:
    void MouseReleased();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
