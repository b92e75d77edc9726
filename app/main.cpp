// The kessrune executable: everything lives in kessrune::app.
#include "app/program.h"

int main(int argc, char** argv) {
    return kessrune::startProgram(argc, argv);
}
