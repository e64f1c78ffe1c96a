#include "app/application.hpp"

int main() { return qv::programEntry(); }
