#include <QtTest>
class SimBehaviourTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};
QTEST_GUILESS_MAIN(SimBehaviourTest)
#include "tst_sim_behaviour.moc"
