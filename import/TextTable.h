// The "|"-separated text tables of the FDSN web services: a header line
// starting with '#' names the columns, one record per line after it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TextTable {
public:
    // Reads the header (the first line that is not blank); false when it is
    // not a '#' line with at least two columns.
    bool readHeader(std::string_view text);
    // Column index of a name (compared without case and surrounding blanks),
    // -1 when absent.
    int column(std::string_view name) const;
    // The data rows (blank lines and further '#' lines skipped), each split
    // into trimmed fields.
    const std::vector<std::vector<std::string>>& rows() const { return rows_; }

    // Field of a row, "" when the row is shorter or the column absent.
    static std::string field(const std::vector<std::string>& row, int column);
    // A finite number filling the whole field, else nullopt.
    static std::optional<double> number(const std::string& field);

private:
    std::vector<std::string> names_;
    std::vector<std::vector<std::string>> rows_;
};
