#pragma once
// The frame's status bar: panels numbered from 1, each with a text and a width.
// The bar starts with one panel; the frame's load handler adds the second.

#include <QStatusBar>
#include <QString>
#include <vector>

class QLabel;

class StatusBar : public QStatusBar {
  Q_OBJECT

 public:
  explicit StatusBar(QWidget* parent = nullptr);

  class Panel {
   public:
    explicit Panel(QLabel* label) : label_(label) {}
    QString Text() const;
    void SetText(const QString& text);
    int Width() const;
    void SetWidth(int pixels);

   private:
    QLabel* label_;
  };

  int PanelCount() const { return static_cast<int>(panels_.size()); }
  // Panel `index`, counted from 1.
  Panel& Panels(int index);
  // Adds a panel with default text and width at the end.
  Panel& AddPanel();

 private:
  std::vector<Panel> panels_;
};
