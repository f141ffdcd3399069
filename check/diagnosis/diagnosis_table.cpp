#include "diagnosis_table.h"

#include <utility>

namespace mae::check {

const DiagnosisWords* DiagnosisFor(const std::string& code) {
  for (const DiagnosisWords& d : kDiagnoses) {
    if (code == d.code) {
      return &d;
    }
  }
  return nullptr;
}

Diagnosis Said(DiagnosisCode id, std::initializer_list<Filled> fills) {
  const DiagnosisWords& row = DiagnosisRow(id);
  std::string words = row.words;
  for (const Filled& fill : fills) {
    const std::string piece = fill.piece;
    const std::size_t at = words.find(piece);
    if (at != std::string::npos) {
      words.replace(at, piece.size(), fill.said);
    }
  }
  return {row.code, std::move(words)};
}

void AddDiagnosis(Diagnosis d, std::vector<Diagnosis>* list) {
  const auto rank = [](const std::string& code) {
    const DiagnosisWords* row = DiagnosisFor(code);
    return row != nullptr ? static_cast<std::size_t>(row->id) : kDiagnosisCount;
  };
  const std::size_t at = rank(d.code);
  auto place = list->begin();
  while (place != list->end() && rank(place->code) <= at) {
    ++place;
  }
  list->insert(place, std::move(d));
}

}  // namespace mae::check
