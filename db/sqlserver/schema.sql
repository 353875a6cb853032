-- Shop-floor database schema (sqlserver). Generated from one table list; keep the three dialects alike.

CREATE TABLE oka_CabOrc (
    Fo NVARCHAR(20) NOT NULL,
    EstadoFo SMALLINT,
    SubEstado INT,
    DataActual DATETIME,
    Notas NVARCHAR(MAX),
    Processo NVARCHAR(30),
    TotalCustoProd MONEY DEFAULT 0,
    TotalCustoInd MONEY DEFAULT 0,
    CustoMat MONEY DEFAULT 0,
    TotalCustoOut MONEY DEFAULT 0,
    CONSTRAINT pk_oka_caborc PRIMARY KEY (Fo)
);

CREATE TABLE oka_LinFo_Ope (
    NoFo NVARCHAR(20) NOT NULL,
    NoLinha INT NOT NULL,
    Data DATE,
    HoraInicio MONEY NOT NULL DEFAULT 0,
    HoraFim MONEY NOT NULL DEFAULT 0,
    Total MONEY NOT NULL DEFAULT 0,
    Opera INT,
    Descritivo NVARCHAR(50),
    Maquina NVARCHAR(20),
    Func NVARCHAR(20),
    CustoHomem MONEY DEFAULT 0,
    CustoMaquina MONEY DEFAULT 0,
    Estado SMALLINT,
    CONSTRAINT pk_oka_linfo_ope PRIMARY KEY (NoFo, NoLinha)
);

CREATE TABLE oka_LinFo_Apr (
    NoFo NVARCHAR(20) NOT NULL,
    NoLinha INT NOT NULL,
    Artigo NVARCHAR(15),
    Nome NVARCHAR(50),
    QtdOr MONEY DEFAULT 0,
    Comp MONEY DEFAULT 0,
    Unidade NVARCHAR(3),
    Fornecedor NVARCHAR(15),
    DocSaida NVARCHAR(8),
    PrUnit MONEY DEFAULT 0,
    VossoNum NVARCHAR(20),
    Factor MONEY DEFAULT 0,
    Larg MONEY DEFAULT 0,
    Armazem NVARCHAR(6),
    CONSTRAINT pk_oka_linfo_apr PRIMARY KEY (NoFo, NoLinha)
);

CREATE TABLE oka_Contador (
    Id INT NOT NULL,
    CI MONEY,
    ArmMp NVARCHAR(6),
    Artigos NVARCHAR(10),
    DocSc NVARCHAR(10),
    SerieSc SMALLINT,
    SectorMp NVARCHAR(20),
    Moeda NVARCHAR(5),
    CONSTRAINT pk_oka_contador PRIMARY KEY (Id)
);

CREATE TABLE oka_Funcionarios (
    FuncId NVARCHAR(20) NOT NULL,
    FuncNome NVARCHAR(50),
    Senha NVARCHAR(128),
    Nivel SMALLINT DEFAULT 0,
    CustoHora MONEY DEFAULT 0,
    CONSTRAINT pk_oka_funcionarios PRIMARY KEY (FuncId)
);

CREATE TABLE oka_Operacoes (
    OperId INT NOT NULL,
    OperNome NVARCHAR(50),
    CONSTRAINT pk_oka_operacoes PRIMARY KEY (OperId)
);

CREATE TABLE oka_Maquinas (
    MaqId NVARCHAR(20) NOT NULL,
    MaqNome NVARCHAR(50),
    CustoHora MONEY DEFAULT 0,
    CONSTRAINT pk_oka_maquinas PRIMARY KEY (MaqId)
);

CREATE TABLE oka_Motivos (
    codigo NVARCHAR(10) NOT NULL,
    Motivo NVARCHAR(100),
    CONSTRAINT pk_oka_motivos PRIMARY KEY (codigo)
);

CREATE TABLE oka_RegistosTerminal (
    Token NVARCHAR(40) NOT NULL,
    Terminal NVARCHAR(40),
    Funcao NVARCHAR(10),
    DataHora DATETIME,
    Gravado DATETIME,
    CONSTRAINT pk_oka_registosterminal PRIMARY KEY (Token)
);

CREATE TABLE ARTIGOS (
    CODIGO NVARCHAR(15) NOT NULL,
    NOME NVARCHAR(100),
    GRUPO NVARCHAR(10),
    FAMILIA NVARCHAR(10),
    FACTEMB FLOAT DEFAULT 1,
    ARTOUDES SMALLINT DEFAULT 0,
    UNBASE NVARCHAR(10),
    Fornec NVARCHAR(15),
    CONSTRAINT pk_artigos PRIMARY KEY (CODIGO)
);

CREATE TABLE FAMILIA (
    GRUPO NVARCHAR(10) NOT NULL,
    COD NVARCHAR(10) NOT NULL,
    DESCR NVARCHAR(50),
    CONSTRAINT pk_familia PRIMARY KEY (GRUPO, COD)
);

CREATE TABLE ARTARM (
    ARTIGO NVARCHAR(15) NOT NULL,
    ARMAZEM NVARCHAR(6) NOT NULL,
    EXISTENC MONEY NOT NULL DEFAULT 0,
    CONSTRAINT pk_artarm PRIMARY KEY (ARTIGO, ARMAZEM)
);

CREATE TABLE STKDOC (
    TIPODOC NVARCHAR(10) NOT NULL,
    SERIE SMALLINT NOT NULL,
    ANO SMALLINT NOT NULL,
    NUMDOC INT NOT NULL,
    ARMAZEM NVARCHAR(6),
    SECTOR NVARCHAR(20),
    DATA DATE,
    MOEDA NVARCHAR(5),
    PROCESSO NVARCHAR(30),
    EMPRESA NVARCHAR(50),
    UTILIZADOR NVARCHAR(50),
    CRIADO DATETIME,
    CONSTRAINT pk_stkdoc PRIMARY KEY (TIPODOC, SERIE, ANO, NUMDOC)
);

CREATE TABLE STKDOCLIN (
    TIPODOC NVARCHAR(10) NOT NULL,
    SERIE SMALLINT NOT NULL,
    ANO SMALLINT NOT NULL,
    NUMDOC INT NOT NULL,
    LINHA INT NOT NULL,
    ARTIGO NVARCHAR(15) NOT NULL,
    ARMAZEM NVARCHAR(6),
    QUANT MONEY NOT NULL,
    PRECO MONEY NOT NULL DEFAULT 0,
    CONSTRAINT pk_stkdoclin PRIMARY KEY (TIPODOC, SERIE, ANO, NUMDOC, LINHA)
);

CREATE INDEX ix_linfo_ope_func_estado ON oka_LinFo_Ope (Func, Estado);
CREATE INDEX ix_linfo_ope_func_aberta ON oka_LinFo_Ope (Func, HoraFim, Total);
CREATE INDEX ix_linfo_ope_fo_opera ON oka_LinFo_Ope (NoFo, Opera, HoraInicio, Total);
CREATE INDEX ix_caborc_estado ON oka_CabOrc (EstadoFo, Fo);
CREATE INDEX ix_caborc_abertas ON oka_CabOrc (Fo) WHERE EstadoFo <> 4;
CREATE INDEX ix_artigos_grupo ON ARTIGOS (GRUPO, FAMILIA);
