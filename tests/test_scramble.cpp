#include "puzzle/scramble.h"

#include <QtTest>

class ScrambleTest : public QObject
{
    Q_OBJECT
private slots:
    void everyRuleHoldsOverManyScrambles()
    {
        const QRegularExpression grammar(QStringLiteral("^([RLUDFB]['2]? ){20}[RLUDFB]['2]?$")), // a face twice, or R L R:
            repeat(QStringLiteral("(^| )(([RLUDFB])['2]? \\3|([RL])['2]? [RL]['2]? \\4|([UD])['2]? [UD]['2]? \\5|([FB])['2]? [FB]['2]? \\6)"));
        QRandomGenerator rng(12345);
        for (int i = 0; i < 20000; ++i) {
            const QString s = makeScramble([&] { return int(rng.generate() >> 1); });
            QVERIFY2(grammar.match(s).hasMatch() && !repeat.match(s).hasMatch() && s.count('2') >= 7
                         && s.count('2') <= 12 && s.count('\'') <= 20 - s.count('2'), qPrintable(s));
        }
    }
};

QTEST_MAIN(ScrambleTest)
#include "test_scramble.moc"
