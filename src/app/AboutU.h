#pragma once
// The About box: name, version, maker and the product's web address as a link.

#include <QDialog>

class QLabel;
class QPushButton;

class TForm23 : public QDialog {
    Q_OBJECT
public:
    explicit TForm23(QWidget* parent = nullptr);

    static const QString kWebAddress;

    QLabel* Image1;
    QLabel* Label1;  // product name
    QLabel* Label2;  // version
    QLabel* Label3;  // maker, first line
    QLabel* Label4;  // maker, second line
    QLabel* Label5;  // web address
    QPushButton* Button1;  // OK

public slots:
    void Label5Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
