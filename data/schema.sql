-- Main database of the program. Created once, when slx90.db is missing.
-- Dates are ISO text (yyyy-MM-dd), times of day text (hh:mm or hh:mm:ss),
-- Booleans -1 (True) and 0. Identifiers are always quoted: one holds a comma.
-- Key columns hold a value: a row with an empty key part would be a new row at every import.

CREATE TABLE "Programacion" (
    "LNumeroSerie" INTEGER NOT NULL CHECK ("LNumeroSerie" BETWEEN -2147483648 AND 2147483647),
    "DFecha" TEXT,
    "TContacto" TEXT CHECK (length("TContacto") <= 30),
    "TLocal" TEXT CHECK (length("TLocal") <= 30),
    "TDireccion" TEXT CHECK (length("TDireccion") <= 30),
    "TPoblacion" TEXT CHECK (length("TPoblacion") <= 30),
    "TTelefono" TEXT CHECK (length("TTelefono") <= 15),
    "TNota" TEXT,
    "TVersion" TEXT CHECK (length("TVersion") <= 5),
    "TModelo" TEXT CHECK (length("TModelo") <= 5),
    "BoCambioHora" INTEGER,
    "TIdioma" TEXT CHECK (length("TIdioma") <= 8),
    "ByTLeq" INTEGER CHECK ("ByTLeq" BETWEEN 0 AND 255),
    "ByMFast" INTEGER CHECK ("ByMFast" BETWEEN 0 AND 255),
    "BoImpresion" INTEGER,
    "TLunesInicio" TEXT CHECK (length("TLunesInicio") <= 5),
    "TLunesFin" TEXT CHECK (length("TLunesFin") <= 5),
    "TMartesInicio" TEXT CHECK (length("TMartesInicio") <= 5),
    "TMartesFin" TEXT CHECK (length("TMartesFin") <= 5),
    "TMiercolesInicio" TEXT CHECK (length("TMiercolesInicio") <= 5),
    "TMiercolesFin" TEXT CHECK (length("TMiercolesFin") <= 5),
    "TJuevesInicio" TEXT CHECK (length("TJuevesInicio") <= 5),
    "TJuevesFin" TEXT CHECK (length("TJuevesFin") <= 5),
    "TViernesInicio" TEXT CHECK (length("TViernesInicio") <= 5),
    "TViernesFin" TEXT CHECK (length("TViernesFin") <= 5),
    "TSabadoInicio" TEXT CHECK (length("TSabadoInicio") <= 5),
    "TSabadoFin" TEXT CHECK (length("TSabadoFin") <= 5),
    "TDomingoInicio" TEXT CHECK (length("TDomingoInicio") <= 5),
    "TDomingoFin" TEXT CHECK (length("TDomingoFin") <= 5),
    "ByNivelDiaLocal" INTEGER CHECK ("ByNivelDiaLocal" BETWEEN 0 AND 255),
    "ByNivelDiaVecino" INTEGER CHECK ("ByNivelDiaVecino" BETWEEN 0 AND 255),
    "THoraEmpiezaNoche" TEXT CHECK (length("THoraEmpiezaNoche") <= 5),
    "THoraTerminaNoche" TEXT CHECK (length("THoraTerminaNoche") <= 5),
    "ByNivelNocheLocal" INTEGER CHECK ("ByNivelNocheLocal" BETWEEN 0 AND 255),
    "ByNivelNocheVecino" INTEGER CHECK ("ByNivelNocheVecino" BETWEEN 0 AND 255),
    "ITiempoAtenuacion" INTEGER CHECK ("ITiempoAtenuacion" BETWEEN -32768 AND 32767),
    "TTipoActuacionLocal" TEXT CHECK (length("TTipoActuacionLocal") <= 8),
    "TTipoActuacionVecino" TEXT CHECK (length("TTipoActuacionVecino") <= 8),
    "SOctava31,5Hz" REAL,
    "SOctava63Hz" REAL,
    "SOctava125Hz" REAL,
    "SOctava250Hz" REAL,
    "SOctava500Hz" REAL,
    "SOctava1kHz" REAL,
    "SOctava2kHz" REAL,
    "SOctava4kHz" REAL,
    "SOctava8kHz" REAL,
    "ByRings" INTEGER CHECK ("ByRings" BETWEEN 0 AND 255),
    "DFechaTotales" TEXT,
    "THoraTotales" TEXT CHECK (length("THoraTotales") <= 8),
    "LPasadasLocal" INTEGER CHECK ("LPasadasLocal" BETWEEN -2147483648 AND 2147483647),
    "LPasadasVecino" INTEGER CHECK ("LPasadasVecino" BETWEEN -2147483648 AND 2147483647),
    "LE3" INTEGER CHECK ("LE3" BETWEEN -2147483648 AND 2147483647),
    "LCB" INTEGER CHECK ("LCB" BETWEEN -2147483648 AND 2147483647),
    "ByVelocidad" INTEGER CHECK ("ByVelocidad" BETWEEN 0 AND 255),
    "CMI" INTEGER,
    PRIMARY KEY ("LNumeroSerie")
);

CREATE TABLE "IntervaloInhabil" (
    "LNumeroSerie" INTEGER NOT NULL CHECK ("LNumeroSerie" BETWEEN -2147483648 AND 2147483647),
    "ByIntervalo" INTEGER NOT NULL CHECK ("ByIntervalo" BETWEEN 0 AND 255),
    "TDiaEmpiezaInt" TEXT CHECK (length("TDiaEmpiezaInt") <= 10),
    "THoraEmpiezaInt" TEXT,
    "TDiaTerminaInt" TEXT CHECK (length("TDiaTerminaInt") <= 10),
    "THoraTerminaInt" TEXT,
    PRIMARY KEY ("LNumeroSerie", "ByIntervalo")
);

CREATE TABLE "Intervalos" (
    "LNumeroSerie" INTEGER NOT NULL CHECK ("LNumeroSerie" BETWEEN -2147483648 AND 2147483647),
    "DFechaInicio" TEXT NOT NULL,
    "THoraInicio" TEXT NOT NULL CHECK (length("THoraInicio") <= 5),
    "DFechaFinal" TEXT,
    "THoraFinal" TEXT CHECK (length("THoraFinal") <= 5),
    "ByTLeq" INTEGER CHECK ("ByTLeq" BETWEEN 0 AND 255),
    "SLeqLocal" REAL,
    "SLeqVecino" REAL,
    "TTipoActuacionLocal" TEXT CHECK (length("TTipoActuacionLocal") <= 8),
    "TTipoActuacionVecino" TEXT CHECK (length("TTipoActuacionVecino") <= 8),
    "ByNivelLeqLocal" INTEGER CHECK ("ByNivelLeqLocal" BETWEEN 0 AND 255),
    "ByNivelLeqVecino" INTEGER CHECK ("ByNivelLeqVecino" BETWEEN 0 AND 255),
    "SMaxLeq1min" REAL,
    "TFechaMaxLeq1min" TEXT CHECK (length("TFechaMaxLeq1min") <= 10),
    "THoraMaxLeq1min" TEXT CHECK (length("THoraMaxLeq1min") <= 5),
    "SMinLeq1min" REAL,
    "TFechaMinLeq1min" TEXT CHECK (length("TFechaMinLeq1min") <= 10),
    "THoraMinLeq1min" TEXT CHECK (length("THoraMinLeq1min") <= 5),
    "SMaxFast" REAL,
    "ByNivelMFast" INTEGER CHECK ("ByNivelMFast" BETWEEN 0 AND 255),
    "IPasMaxFast" INTEGER CHECK ("IPasMaxFast" BETWEEN -32768 AND 32767),
    "SL1" REAL,
    "SL5" REAL,
    "SL10" REAL,
    "SL50" REAL,
    "SL90" REAL,
    "BoRS232" INTEGER,
    "BoProgramacion" INTEGER,
    "IDesco" INTEGER CHECK ("IDesco" BETWEEN -32768 AND 32767),
    "IPasadasLocal" INTEGER CHECK ("IPasadasLocal" BETWEEN -32768 AND 32767),
    "IPasadasVecino" INTEGER CHECK ("IPasadasVecino" BETWEEN -32768 AND 32767),
    "IE3" INTEGER CHECK ("IE3" BETWEEN -32768 AND 32767),
    "ByDNA" INTEGER CHECK ("ByDNA" BETWEEN 0 AND 255),
    "ByENA" INTEGER CHECK ("ByENA" BETWEEN 0 AND 255),
    "ByLineaInsuficiente" INTEGER CHECK ("ByLineaInsuficiente" BETWEEN 0 AND 255),
    PRIMARY KEY ("LNumeroSerie", "DFechaInicio", "THoraInicio")
);

CREATE TABLE "Sesiones" (
    "LNumeroSerie" INTEGER NOT NULL CHECK ("LNumeroSerie" BETWEEN -2147483648 AND 2147483647),
    "DFechaInicio" TEXT NOT NULL,
    "THoraInicio" TEXT NOT NULL CHECK (length("THoraInicio") <= 5),
    "DFechaFinal" TEXT,
    "THoraFinal" TEXT CHECK (length("THoraFinal") <= 5),
    "SLeq" REAL,
    "ByNivelDiaLocal" INTEGER CHECK ("ByNivelDiaLocal" BETWEEN 0 AND 255),
    "ByNivelDiaVecino" INTEGER CHECK ("ByNivelDiaVecino" BETWEEN 0 AND 255),
    "THoraInicioNoche" TEXT CHECK (length("THoraInicioNoche") <= 5),
    "THoraFinalNoche" TEXT CHECK (length("THoraFinalNoche") <= 5),
    "ByNivelNocheLocal" INTEGER CHECK ("ByNivelNocheLocal" BETWEEN 0 AND 255),
    "ByNivelNocheVecino" INTEGER CHECK ("ByNivelNocheVecino" BETWEEN 0 AND 255),
    "ITiempoAtenuacion" INTEGER CHECK ("ITiempoAtenuacion" BETWEEN -32768 AND 32767),
    "LDesco" INTEGER CHECK ("LDesco" BETWEEN -2147483648 AND 2147483647),
    "LPasadasLocal" INTEGER CHECK ("LPasadasLocal" BETWEEN -2147483648 AND 2147483647),
    "LPasadasVecino" INTEGER CHECK ("LPasadasVecino" BETWEEN -2147483648 AND 2147483647),
    "LE3" INTEGER CHECK ("LE3" BETWEEN -2147483648 AND 2147483647),
    "SMaxFast" REAL,
    "ByNivelMFast" INTEGER CHECK ("ByNivelMFast" BETWEEN 0 AND 255),
    "LPasMaxFast" INTEGER CHECK ("LPasMaxFast" BETWEEN -2147483648 AND 2147483647),
    "SMaxLeq1min" REAL,
    "TFechaMaxLeq1min" TEXT CHECK (length("TFechaMaxLeq1min") <= 10),
    "THoraMaxLeq1min" TEXT CHECK (length("THoraMaxLeq1min") <= 5),
    "SMinLeq1min" REAL,
    "TFechaMinLeq1min" TEXT CHECK (length("TFechaMinLeq1min") <= 10),
    "THoraMinLeq1min" TEXT CHECK (length("THoraMinLeq1min") <= 5),
    "SL1" REAL,
    "SL5" REAL,
    "SL10" REAL,
    "SL50" REAL,
    "SL90" REAL,
    PRIMARY KEY ("LNumeroSerie", "DFechaInicio", "THoraInicio")
);

CREATE TABLE "DiaBorrado" (
    "LNumeroSerie" INTEGER NOT NULL CHECK ("LNumeroSerie" BETWEEN -2147483648 AND 2147483647),
    "DFecha" TEXT NOT NULL,
    "THora" TEXT NOT NULL CHECK (length("THora") <= 5),
    UNIQUE ("LNumeroSerie", "DFecha", "THora")
);

CREATE TABLE "DiaFinalBateria" (
    "LNumeroSerie" INTEGER NOT NULL CHECK ("LNumeroSerie" BETWEEN -2147483648 AND 2147483647),
    "DFecha" TEXT NOT NULL,
    "THora" TEXT NOT NULL CHECK (length("THora") <= 5),
    UNIQUE ("LNumeroSerie", "DFecha", "THora")
);

CREATE TABLE "DiaReprogramado" (
    "LNumeroSerie" INTEGER NOT NULL CHECK ("LNumeroSerie" BETWEEN -2147483648 AND 2147483647),
    "DFecha" TEXT NOT NULL,
    "THora" TEXT NOT NULL CHECK (length("THora") <= 5),
    UNIQUE ("LNumeroSerie", "DFecha", "THora")
);

CREATE TABLE "Configuracion" (
    "ByCom" INTEGER CHECK ("ByCom" BETWEEN 0 AND 255),
    "IIdioma" INTEGER CHECK ("IIdioma" BETWEEN -32768 AND 32767),
    "ByTono" INTEGER CHECK ("ByTono" BETWEEN 0 AND 255),
    "ByModem" INTEGER CHECK ("ByModem" BETWEEN 0 AND 255),
    "TPrefijo" TEXT CHECK (length("TPrefijo") <= 255),
    "IModemSpeed" INTEGER CHECK ("IModemSpeed" BETWEEN -32768 AND 32767),
    "TUsuario" TEXT CHECK (length("TUsuario") <= 255),
    "Memo" TEXT
);

INSERT INTO "Configuracion" ("ByCom", "IIdioma", "ByTono", "ByModem", "TPrefijo", "IModemSpeed", "TUsuario", "Memo")
    VALUES (1, 1000, 1, 0, ' ', 19200, '', ' ');
