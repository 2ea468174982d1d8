#pragma once

// The commissioning report: a text document of the controller's identification, settings,
// forecast, channels and readings, printed to an A4 PDF with tables that continue on the next
// page under their repeated header.

#include "report/reportdata.h"

#include <QString>

#include <memory>

class QTextDocument;

namespace ReportDocument {

QString title();

std::unique_ptr<QTextDocument> build(const ReportData &data);

// Writes the PDF whole or not at all; false when the file cannot be written.
bool writePdf(const ReportData &data, const QString &fileName);

} // namespace ReportDocument
