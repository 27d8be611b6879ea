#pragma once
// "Fixed Price Offer Options": the price and the days of one fixed-price
// offer. The caller sets the four public variables, shows the dialog modally
// and reads pOfferPrice and pValidFor back; a pOfferPrice of 0 means nothing
// was chosen (Cancel, Escape, the close box).

#include <QDialog>
#include <QMap>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmFixedPriceOptions : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString pTitle MEMBER pTitle)
    Q_PROPERTY(QString pInfo MEMBER pInfo)
    Q_PROPERTY(double pOfferPrice MEMBER pOfferPrice)
    Q_PROPERTY(int pValidFor MEMBER pValidFor)
public:
    explicit frmFixedPriceOptions(QWidget* parent = nullptr);

    QString pTitle;
    QString pInfo;
    double pOfferPrice = 0;
    int pValidFor = 0;

    void Form_Activate();
    void cmdOK_Click();
    void cmdCancel_Click();
    QLineEdit* offerPrice() const { return txtOfferPrice; }
    QRadioButton* validFor(int days) const { return optValid.value(days); }
    QLabel* info() const { return lblInfo; }

    // A typed offer price, read by its leading number ("15abc" is 15,
    // "1,500" 1500); 0 with ok false when the text holds no amount.
    static double ReadOfferPrice(const QString& text, bool* ok = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Enter acts as OK, Escape as Cancel; true when the key was taken.
    bool HandleKey(int key);

    QLineEdit* txtOfferPrice;
    QMap<int, QRadioButton*> optValid;
    QLabel* lblInfo;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    bool m_confirmed = false;
};
