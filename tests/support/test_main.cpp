#include <QApplication>
#include <clocale>
#include <gtest/gtest.h>

// Every suite runs inside a real Qt application object on the offscreen platform,
// so posted events, fonts and image painting behave as in the program.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // as the program does
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
