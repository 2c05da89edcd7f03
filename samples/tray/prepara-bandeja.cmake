# Lays out the sample tray beside the simulator: the images in <bin>/tray/
# and <bin>/mtxmlmcr.scenario, the sample scenario with its images taken
# from that folder. Run by the build with -DORIGEN=<samples/tray>
# -DDESTINO=<bin>.
file(GLOB imagenes "${ORIGEN}/*.tif" "${ORIGEN}/*.jpg")
file(MAKE_DIRECTORY "${DESTINO}/tray")
file(COPY ${imagenes} "${ORIGEN}/mtxmlmcr.scenario" DESTINATION "${DESTINO}/tray")
file(READ "${ORIGEN}/mtxmlmcr.scenario" escenario)
# The first key of a name wins, so this line ahead of the file's own
# sections sets the image folder.
file(WRITE "${DESTINO}/mtxmlmcr.scenario.nuevo"
     "# Written by the build from samples/tray/mtxmlmcr.scenario.\n[Reader]\nimages=tray\n\n${escenario}")
file(COPY_FILE "${DESTINO}/mtxmlmcr.scenario.nuevo" "${DESTINO}/mtxmlmcr.scenario" ONLY_IF_DIFFERENT)
file(REMOVE "${DESTINO}/mtxmlmcr.scenario.nuevo")
