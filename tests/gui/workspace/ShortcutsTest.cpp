// The keys the README promises are the keys the running application's menus carry: no
// more, no fewer.

#include <QFile>
#include <support/HangGuard.h>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(Shortcuts, TheReadmeNamesExactlyTheKeysTheMenusCarry)
{
    QTemporaryDir home;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(WORKSPACE_DRIVER), {QStringLiteral("shortcuts")});
    ASSERT_TRUE(p.waitForFinished(PelmoraTest::HangGuardMs));
    ASSERT_EQ(p.exitCode(), 0);
    QSet<QString> shipped;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith(QLatin1String("shortcut.")))
            shipped << line.mid(9).section('=', 0, 0);
    ASSERT_TRUE(shipped.contains(QStringLiteral("Ctrl+N")));

    // The README's paragraph about keys names each in backquotes.
    QFile readme(QStringLiteral(PELMORA_README));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const int start = text.indexOf(QLatin1String("Menu entries carry these keys:"));
    ASSERT_GE(start, 0);
    const QString paragraph = text.mid(start, text.indexOf(QLatin1String("\n\n"), start) - start);
    QSet<QString> promised;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("`([^`]+)`")).globalMatch(paragraph);
    while (it.hasNext())
        promised << it.next().captured(1);
    EXPECT_EQ(promised, shipped) << paragraph.toStdString();
}
