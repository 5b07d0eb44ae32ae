#pragma once
// Cell values converted between the stored type and the type asked for: text to
// number by its leading number, number to text in its shortest exact form.
#include <cstdint>
#include <string>
#include <string_view>

#include "mk/table.h"

namespace mk::detail {

std::string FormatDouble(double v, int precision = 0);  // 0: shortest that reads back exactly
std::string FormatFloat(float v);
int64_t LeadingLong(std::string_view s);
double LeadingDouble(std::string_view s);
int32_t ClampInt(int64_t v);
int64_t DoubleToLong(double v);  // toward zero, clamped; NaN gives 0

std::string CellString(const Table& t, uint32_t r, int c);
int64_t CellLong(const Table& t, uint32_t r, int c);
double CellDouble(const Table& t, uint32_t r, int c);
std::string CellBytes(const Table& t, uint32_t r, int c);

void SetCellString(Table& t, uint32_t r, int c, std::string_view v);
void SetCellLong(Table& t, uint32_t r, int c, int64_t v);
void SetCellDouble(Table& t, uint32_t r, int c, double v);
void SetCellBytes(Table& t, uint32_t r, int c, std::string_view v);

// Copies one cell into a column of possibly another type, converting.
void CopyCell(const Table& src, uint32_t sr, int sc, Table& dst, uint32_t dr, int dc);

}  // namespace mk::detail
