#include "app/Application.h"

int main(int argc, char** argv) {
    return busdesk::runBusDesk(argc, argv);
}
