#include "core/program_state.hpp"

namespace {
ProgramState& instance()
{
    static ProgramState state;
    return state;
}
} // namespace

ProgramState& programState()
{
    return instance();
}

void resetProgramState()
{
    instance() = ProgramState();
}

QString defaultDisclaimerText()
{
    return QStringLiteral(
        "KVE is provided \"as is\", without warranty of any kind, express or implied, "
        "including but not limited to the warranties of merchantability, fitness for a "
        "particular purpose and non-infringement. In no event shall the authors or "
        "copyright holders of KVE be liable for any claim, damages or other liability, "
        "whether in an action of contract, tort or otherwise, arising from, out of or in "
        "connection with KVE or the use or other dealings in KVE. The statistics that KVE "
        "computes are offered to support, not to replace, the judgement of the modeller: "
        "check every result that a decision depends on, keep copies of your datasets, and "
        "read the reports together with the assumptions of each method. Using KVE means "
        "accepting these terms.");
}
