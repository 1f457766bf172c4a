#include "cli/CommandArguments.h"

#include "cli/CommandError.h"
#include "cli/CommandOperands.h"

namespace CommandArguments {

std::optional<QStringList> operands(const char* command, const QStringList& arguments)
{
    Result<QStringList> result = CommandOperands::read(arguments);
    if (!result) {
        CommandError::usage(command, result.reason());
        return std::nullopt;
    }
    return std::move(result).value();
}

}
