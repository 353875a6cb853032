-- Shop-floor database schema (postgresql). Generated from one table list; keep the three dialects alike.

CREATE TABLE oka_CabOrc (
    Fo VARCHAR(20) NOT NULL,
    EstadoFo SMALLINT,
    SubEstado INTEGER,
    DataActual TIMESTAMP,
    Notas TEXT,
    Processo VARCHAR(30),
    TotalCustoProd NUMERIC(19,4) DEFAULT 0,
    TotalCustoInd NUMERIC(19,4) DEFAULT 0,
    CustoMat NUMERIC(19,4) DEFAULT 0,
    TotalCustoOut NUMERIC(19,4) DEFAULT 0,
    CONSTRAINT pk_oka_caborc PRIMARY KEY (Fo)
);

CREATE TABLE oka_LinFo_Ope (
    NoFo VARCHAR(20) NOT NULL,
    NoLinha INTEGER NOT NULL,
    Data DATE,
    HoraInicio NUMERIC(19,4) NOT NULL DEFAULT 0,
    HoraFim NUMERIC(19,4) NOT NULL DEFAULT 0,
    Total NUMERIC(19,4) NOT NULL DEFAULT 0,
    Opera INTEGER,
    Descritivo VARCHAR(50),
    Maquina VARCHAR(20),
    Func VARCHAR(20),
    CustoHomem NUMERIC(19,4) DEFAULT 0,
    CustoMaquina NUMERIC(19,4) DEFAULT 0,
    Estado SMALLINT,
    CONSTRAINT pk_oka_linfo_ope PRIMARY KEY (NoFo, NoLinha)
);

CREATE TABLE oka_LinFo_Apr (
    NoFo VARCHAR(20) NOT NULL,
    NoLinha INTEGER NOT NULL,
    Artigo VARCHAR(15),
    Nome VARCHAR(50),
    QtdOr NUMERIC(19,4) DEFAULT 0,
    Comp NUMERIC(19,4) DEFAULT 0,
    Unidade VARCHAR(3),
    Fornecedor VARCHAR(15),
    DocSaida VARCHAR(8),
    PrUnit NUMERIC(19,4) DEFAULT 0,
    VossoNum VARCHAR(20),
    Factor NUMERIC(19,4) DEFAULT 0,
    Larg NUMERIC(19,4) DEFAULT 0,
    Armazem VARCHAR(6),
    CONSTRAINT pk_oka_linfo_apr PRIMARY KEY (NoFo, NoLinha)
);

CREATE TABLE oka_Contador (
    Id INTEGER NOT NULL,
    CI NUMERIC(19,4),
    ArmMp VARCHAR(6),
    Artigos VARCHAR(10),
    DocSc VARCHAR(10),
    SerieSc SMALLINT,
    SectorMp VARCHAR(20),
    Moeda VARCHAR(5),
    CONSTRAINT pk_oka_contador PRIMARY KEY (Id)
);

CREATE TABLE oka_Funcionarios (
    FuncId VARCHAR(20) NOT NULL,
    FuncNome VARCHAR(50),
    Senha VARCHAR(128),
    Nivel SMALLINT DEFAULT 0,
    CustoHora NUMERIC(19,4) DEFAULT 0,
    CONSTRAINT pk_oka_funcionarios PRIMARY KEY (FuncId)
);

CREATE TABLE oka_Operacoes (
    OperId INTEGER NOT NULL,
    OperNome VARCHAR(50),
    CONSTRAINT pk_oka_operacoes PRIMARY KEY (OperId)
);

CREATE TABLE oka_Maquinas (
    MaqId VARCHAR(20) NOT NULL,
    MaqNome VARCHAR(50),
    CustoHora NUMERIC(19,4) DEFAULT 0,
    CONSTRAINT pk_oka_maquinas PRIMARY KEY (MaqId)
);

CREATE TABLE oka_Motivos (
    codigo VARCHAR(10) NOT NULL,
    Motivo VARCHAR(100),
    CONSTRAINT pk_oka_motivos PRIMARY KEY (codigo)
);

CREATE TABLE oka_RegistosTerminal (
    Token VARCHAR(40) NOT NULL,
    Terminal VARCHAR(40),
    Funcao VARCHAR(10),
    DataHora TIMESTAMP,
    Gravado TIMESTAMP,
    CONSTRAINT pk_oka_registosterminal PRIMARY KEY (Token)
);

CREATE TABLE ARTIGOS (
    CODIGO VARCHAR(15) NOT NULL,
    NOME VARCHAR(100),
    GRUPO VARCHAR(10),
    FAMILIA VARCHAR(10),
    FACTEMB DOUBLE PRECISION DEFAULT 1,
    ARTOUDES SMALLINT DEFAULT 0,
    UNBASE VARCHAR(10),
    Fornec VARCHAR(15),
    CONSTRAINT pk_artigos PRIMARY KEY (CODIGO)
);

CREATE TABLE FAMILIA (
    GRUPO VARCHAR(10) NOT NULL,
    COD VARCHAR(10) NOT NULL,
    DESCR VARCHAR(50),
    CONSTRAINT pk_familia PRIMARY KEY (GRUPO, COD)
);

CREATE TABLE ARTARM (
    ARTIGO VARCHAR(15) NOT NULL,
    ARMAZEM VARCHAR(6) NOT NULL,
    EXISTENC NUMERIC(19,4) NOT NULL DEFAULT 0,
    CONSTRAINT pk_artarm PRIMARY KEY (ARTIGO, ARMAZEM)
);

CREATE TABLE STKDOC (
    TIPODOC VARCHAR(10) NOT NULL,
    SERIE SMALLINT NOT NULL,
    ANO SMALLINT NOT NULL,
    NUMDOC INTEGER NOT NULL,
    ARMAZEM VARCHAR(6),
    SECTOR VARCHAR(20),
    DATA DATE,
    MOEDA VARCHAR(5),
    PROCESSO VARCHAR(30),
    EMPRESA VARCHAR(50),
    UTILIZADOR VARCHAR(50),
    CRIADO TIMESTAMP,
    CONSTRAINT pk_stkdoc PRIMARY KEY (TIPODOC, SERIE, ANO, NUMDOC)
);

CREATE TABLE STKDOCLIN (
    TIPODOC VARCHAR(10) NOT NULL,
    SERIE SMALLINT NOT NULL,
    ANO SMALLINT NOT NULL,
    NUMDOC INTEGER NOT NULL,
    LINHA INTEGER NOT NULL,
    ARTIGO VARCHAR(15) NOT NULL,
    ARMAZEM VARCHAR(6),
    QUANT NUMERIC(19,4) NOT NULL,
    PRECO NUMERIC(19,4) NOT NULL DEFAULT 0,
    CONSTRAINT pk_stkdoclin PRIMARY KEY (TIPODOC, SERIE, ANO, NUMDOC, LINHA)
);

CREATE INDEX ix_linfo_ope_func_estado ON oka_LinFo_Ope (Func, Estado);
CREATE INDEX ix_linfo_ope_func_aberta ON oka_LinFo_Ope (Func, HoraFim, Total);
CREATE INDEX ix_linfo_ope_fo_opera ON oka_LinFo_Ope (NoFo, Opera, HoraInicio, Total);
CREATE INDEX ix_caborc_estado ON oka_CabOrc (EstadoFo, Fo);
CREATE INDEX ix_caborc_abertas ON oka_CabOrc (Fo) WHERE EstadoFo <> 4;
CREATE INDEX ix_artigos_grupo ON ARTIGOS (GRUPO, FAMILIA);
