// The evaluator's messages, registered under base 2000 while the module loads: the Serbian
// rows first, then the English ones. Lookups prefer English.
#include "diagnostics/EvException.h"
#include "diagnostics/MessageLibrary.h"
#include "platform/LoadOrder.h"

namespace QUON_Evaluator {

namespace {

using zul::MessageLibrary::kLanguageEnglish;
using zul::MessageLibrary::kLanguageSerbian;
using zul::MessageLibrary::MessageTableRow;

// clang-format off
const MessageTableRow kEvaluatorMessages[] = {
    {kLanguageSerbian, {}, 1, 0, 0, "Pokušano izračunavanje bazne ćelije!"},
    {kLanguageSerbian, {}, 2, 0, 0, "Neispravan indeks niza!"},
    {kLanguageSerbian, {}, 3, 0, 0, "Pokušano izračunavanje liste kao vrednosti!"},
    {kLanguageSerbian, {}, 4, 0, 0, "Neispravan indeks kataloga!"},
    {kLanguageSerbian, {}, 5, 0, 0, "Pokušano izračunavanje kataloga kao vrednosti!"},
    {kLanguageSerbian, {}, 6, 0, 0, "Pokušano izračunavanje niza kao vrednosti!"},
    {kLanguageSerbian, {}, 7, 0, 0, "Pokušano izračunavanje skupa promenljivih kao vrednosti!"},
    {kLanguageSerbian, {}, 8, 0, 0, "Pokušano izračunavanje resursa kao vrednosti!"},
    {kLanguageSerbian, {}, 9, 0, 0, "Pokušano izračunavanje reference na tipiziranu funkciju!"},
    {kLanguageSerbian, {}, 10, 0, 0, "Neispravan element liste rezultata upita!"},
    {kLanguageSerbian, {}, 11, 0, 0, "Nije podržan tip parametra upita!"},
    {kLanguageSerbian, {}, 12, 0, 0, "Pokušano izračunavanje SQL upita kao vrednosti!"},
    {kLanguageSerbian, {}, 13, 0, 0, "Pokušano izračunavanje SQL naredbe kao vrednosti!"},
    {kLanguageSerbian, {}, 14, 0, 0,
     "Interfejs od Evaluation Contexta prema bazi podataka nije inicijalizovan!"},
    {kLanguageSerbian, {}, 15, 0, 0, "Pokušano izračunavanje torke kao vrednosti!"},
    {kLanguageSerbian, {}, 16, 0, 0, "Pokušano izračunavanje sloga kao vrednosti!"},
    {kLanguageSerbian, {}, 17, 0, 0, "Pokušano izračunavanje vrednosti kao sloga!"},
    {kLanguageSerbian, {}, 18, 0, 0, "Pristup nepostojeæem atributu sloga!"},
    {kLanguageSerbian, {}, 19, 0, 0, "Pokusaj pravljenja neispravnog kataloga!"},
    {kLanguageSerbian, {}, 20, 0, 0, "Empty list head requested!"},
    {kLanguageSerbian, {}, 21, 0, 0, "Cannot get an element from non-collection cell!"},
    {kLanguageSerbian, {}, 22, 0, 0, "Empty array element requested!"},
    {kLanguageSerbian, {}, 23, 1, 0, "Greška u paralelnom izračunavanju: [%1]"},
    {kLanguageEnglish, {}, 1, 0, 0, "Error: Cell Evaluated!"},
    {kLanguageEnglish, {}, 2, 0, 0, "Wrong array index!"},
    {kLanguageEnglish, {}, 3, 0, 0, "List evaluated as a value!"},
    {kLanguageEnglish, {}, 4, 1, 0, "Wrong map index [%1]!"},
    {kLanguageEnglish, {}, 5, 0, 0, "Map evaluated as a value!"},
    {kLanguageEnglish, {}, 6, 0, 0, "Array evaluated as a value!"},
    {kLanguageEnglish, {}, 7, 0, 0, "Variable Set evaluated as a value!"},
    {kLanguageEnglish, {}, 8, 0, 0, "Resource evaluated as a value!"},
    {kLanguageEnglish, {}, 9, 0, 0, "Typed function reference evaluation!"},
    {kLanguageEnglish, {}, 10, 0, 0, "Invalid query result list element!"},
    {kLanguageEnglish, {}, 11, 0, 0, "Not supported query parameter type!"},
    {kLanguageEnglish, {}, 12, 0, 0, "Query evaluated as a value!"},
    {kLanguageEnglish, {}, 13, 0, 0, "Transaction command evaluated as a value!"},
    {kLanguageEnglish, {}, 14, 0, 0, "Evaluation Context's Database Interface is not initialized!"},
    {kLanguageEnglish, {}, 15, 0, 0, "Tuple evaluated as a value!"},
    {kLanguageEnglish, {}, 16, 0, 0, "Record evaluated as a value!"},
    {kLanguageEnglish, {}, 17, 0, 0, "Value evaluated as a record!"},
    {kLanguageEnglish, {}, 18, 1, 0, "Non-existing record attribute access [%1]!"},
    {kLanguageEnglish, {}, 19, 0, 0, "Creation of invalid map attempted!"},
    {kLanguageEnglish, {}, 20, 0, 0, "Empty list head requested!"},
    {kLanguageEnglish, {}, 21, 0, 0, "Cannot get an element from non-collection cell!"},
    {kLanguageEnglish, {}, 22, 0, 0, "Empty array element requested!"},
    {kLanguageEnglish, {}, 23, 1, 0, "Error in parallel evaluation:\n%1"},
};
// clang-format on

static_assert(sizeof kEvaluatorMessages / sizeof kEvaluatorMessages[0] == 46);

struct EvaluatorMessagesRegistration {
    EvaluatorMessagesRegistration() {
        zul::MessageLibrary::MessageLibraryInstance().RegisterMessages(
            kEvaluatorMessageBase, kEvaluatorMessages,
            sizeof kEvaluatorMessages / sizeof kEvaluatorMessages[0]);
    }
};

__attribute__((init_priority(QUON_LOAD_ORDER_MESSAGES))) const EvaluatorMessagesRegistration kRegistration;

}  // namespace

}  // namespace QUON_Evaluator
