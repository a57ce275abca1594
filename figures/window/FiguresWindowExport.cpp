#include "figures/window/FiguresWindow.h"

#include "figures/FigureTable.h"
#include "figures/window/FigureChart.h"
#include "state/NumberText.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStatusBar>

// The period's table to the clipboard or a CSV file, and its chart to a picture.
namespace rt570 {

void FiguresWindow::copyTable() {
    if (m_serial == 0)
        return;
    QApplication::clipboard()->setText(tabText(m_figures, meterNode(), decimalSeparator()));
    statusBar()->showMessage(QStringLiteral("Таблица скопирована в буфер обмена"));
}

void FiguresWindow::saveCsv() {
    if (m_serial == 0)
        return;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить таблицу"),
                                                      QStringLiteral("%1.csv").arg(m_serial),
                                                      QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(csvFile(m_figures, meterNode(), decimalSeparator())) < 0 || !file.flush())
        setProblem(QStringLiteral("Файл %1 не записан: %2")
                       .arg(QDir::toNativeSeparators(path), file.errorString()));
    else
        statusBar()->showMessage(
            QStringLiteral("Сохранено: %1").arg(QDir::toNativeSeparators(path)));
}

void FiguresWindow::saveChart(const char* format) {
    const bool png = QLatin1String(format) == QLatin1String("PNG");
    const QString suffix = png ? QStringLiteral("png") : QStringLiteral("svg");
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Сохранить график"), QStringLiteral("%1.%2").arg(m_serial).arg(suffix),
        QStringLiteral("%1 (*.%2)").arg(QLatin1String(format), suffix));
    if (path.isEmpty())
        return;
    if (png ? m_chart->savePng(path) : m_chart->saveSvg(path))
        statusBar()->showMessage(
            QStringLiteral("Сохранено: %1").arg(QDir::toNativeSeparators(path)));
    else
        setProblem(QStringLiteral("Рисунок %1 не записан").arg(QDir::toNativeSeparators(path)));
}

} // namespace rt570
