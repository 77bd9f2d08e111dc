#include "text/Errors.h"

TRavekError::TRavekError(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}
