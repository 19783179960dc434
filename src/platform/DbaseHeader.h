#pragma once
// The checks a .dbf header must pass before shapelib reads the table: shapelib trusts
// the lengths it finds there, and a header that promises more than the file holds would
// make it read past its record buffer or past the end of the file.

#include <QString>

namespace sotrix {

// Throws DbaseError when the file cannot be read or its header fails one of the checks:
// the header length is at least 33 and fits the file; the deletion flag and the field
// widths fit the record length; the records the header counts fit the file.
void verifieEnTeteDbase(const QString& path);

}  // namespace sotrix
