// The window tests' own helpers: what they hold is let go once they are done.
#include "UiTestKit.h"

#include <QDialog>

// WhenModalOpens keeps its action (and what the action holds) only until the
// dialog has been answered: nothing of it stays behind after the test.
TEST(UiTestKit, WhenModalOpensLetsGoOfItsActionOnceDone) {
    auto held = std::make_shared<int>(0);
    const std::weak_ptr<int> watch = held;
    QDialog dialog;
    uitest::WhenModalOpens<QDialog>([held](QDialog* d) {
        ++*held;
        d->accept();
    });
    held.reset();
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.expired());
}
